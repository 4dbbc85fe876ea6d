// Layouts and column widths are given in twips: 15 twips to the pixel, as on a 96 dpi screen.
#pragma once

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
