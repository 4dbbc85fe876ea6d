// Pictures defined by a formula, read the way the picture area shows them: unscaled from (0, 0), the
// grey background where the picture does not reach, -1 outside the 430 x 503 drawing area.
#pragma once

#include "engine/geometry.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace velsaro::testing {

using ColourFormula = std::function<std::int32_t(int x, int y)>; // colour number of picture pixel (x, y)

class SyntheticPicture {
public:
    SyntheticPicture(int width, int height, const ColourFormula& colour) : width_(width), height_(height)
    {
        // Kept as an array so that reading a pixel costs the same as in a real picture.
        pixels_.resize(static_cast<std::size_t>(drawingAreaWidth) * drawingAreaHeight, backgroundColour);
        for (int y = 0; y < std::min(height, drawingAreaHeight); ++y)
            for (int x = 0; x < std::min(width, drawingAreaWidth); ++x)
                pixels_[y * drawingAreaWidth + x] = colour(x, y);
    }

    std::int32_t operator()(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= drawingAreaWidth || y >= drawingAreaHeight)
            return -1;
        return pixels_[y * drawingAreaWidth + x];
    }

    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_;
    int height_;
    std::vector<std::int32_t> pixels_;
};

inline std::int32_t colourNumber(int red, int green, int blue) { return red + 256 * green + 65536 * blue; }

inline SyntheticPicture flatPicture(int width, int height, std::int32_t colour)
{
    return SyntheticPicture(width, height, [colour](int, int) { return colour; });
}

} // namespace velsaro::testing
