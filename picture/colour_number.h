// Colour numbers, the form every pixel sample, key colour and grid colour takes: red + 256 x green +
// 65536 x blue (0..16777215).
#pragma once

#include <QColor>
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

} // namespace velsaro
