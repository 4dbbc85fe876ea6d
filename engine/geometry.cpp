#include "engine/geometry.h"

#include <cmath>

namespace velsaro {

double roundHalfEven(double value)
{
    // The default floating-point environment rounds to nearest with ties to even.
    return std::nearbyint(value);
}

MeshGeometry meshGeometry(double width, double height, int n)
{
    MeshGeometry mesh;
    mesh.wq = static_cast<std::int16_t>(roundHalfEven(width / 4));
    mesh.hq = static_cast<std::int16_t>(roundHalfEven(height / 4));
    mesh.n = n;
    return mesh;
}

PixelPosition MeshGeometry::intersection(int j) const
{
    return {wq * (j % 3 + 1), hq * (j / 3 + 1)};
}

PixelPosition MeshGeometry::maskCorner(int j) const
{
    const PixelPosition centre = intersection(j);
    const int half = static_cast<int>(roundHalfEven(n / 2.0));
    return {centre.x - half, centre.y - half};
}

} // namespace velsaro
