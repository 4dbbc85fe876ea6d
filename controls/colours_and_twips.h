// The two forms the windows' descriptions use: colours as colour numbers, red + 256 x green + 65536 x
// blue (0..16777215), and layouts and column widths in twips, 15 to the pixel as on a 96 dpi screen.
#pragma once

#include "picture/colour_number.h"

#include <QRect>

namespace velsaro {

inline constexpr int twipsPerPixel = 15;

// Nearest pixel (a twip count is never half-way, since 15 is odd).
constexpr int twipsToPixels(int twips)
{
    return twips >= 0 ? (twips + twipsPerPixel / 2) / twipsPerPixel
                      : -((-twips + twipsPerPixel / 2) / twipsPerPixel);
}

constexpr int pixelsToTwips(int pixels) { return pixels * twipsPerPixel; }

// A rectangle given as left, top, width, height in twips.
constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace velsaro
