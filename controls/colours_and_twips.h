// The two forms the windows' descriptions use: colours as colour numbers, red + 256 x green + 65536 x
// blue (0..16777215), and layouts and column widths in twips, 15 to the pixel as on a 96 dpi screen.
#pragma once

#include <QColor>
#include <QRect>
#include <QRgb>

#include <cstdint>

namespace velsaro {

// The colour of a colour number, and back.
inline QColor colourOfNumber(std::int32_t number)
{
    return QColor(number & 0xFF, (number >> 8) & 0xFF, (number >> 16) & 0xFF);
}

inline std::int32_t numberOfColour(const QColor& colour)
{
    return colour.red() + 256 * colour.green() + 65536 * colour.blue();
}

// The colour number of a pixel as a picture stores it; its alpha is not part of it.
constexpr std::int32_t numberOfRgb(QRgb rgb)
{
    return qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb);
}

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
