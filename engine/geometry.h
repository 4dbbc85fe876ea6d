// Where the mesh intersections and the masks of a level lie in the picture area.
#pragma once

#include <cstdint>

namespace velsaro {

// Outer size of the main window's picture box, which the mesh divides into quarters, and the drawing
// area inside its 2-pixel border, where pixel coordinates start at (0, 0).
inline constexpr int pictureAreaWidth = 434;
inline constexpr int pictureAreaHeight = 507;
inline constexpr int drawingAreaWidth = 430;
inline constexpr int drawingAreaHeight = 503;

// Colour number of the drawing area where no picture reaches (red, green and blue 192).
inline constexpr std::int32_t backgroundColour = 12632256;

struct PixelPosition {
    int x = 0;
    int y = 0;
};

struct MeshGeometry {
    std::int16_t wq = 0; // horizontal spacing of the intersections
    std::int16_t hq = 0; // vertical spacing
    int n = 0;           // mask size

    // Intersection j = 3 x row + column, row by row from the top left.
    PixelPosition intersection(int j) const;
    // Top-left pixel of the N x N mask of intersection j: N / 2 left of and above the intersection.
    PixelPosition maskCorner(int j) const;
};

// Rounds to the nearest integer, halves to the even neighbour (434 / 4 = 108.5 gives 108).
double roundHalfEven(double value);

// The mesh of a picture area of outer size width x height, with masks of size n.
MeshGeometry meshGeometry(double width, double height, int n);

} // namespace velsaro
