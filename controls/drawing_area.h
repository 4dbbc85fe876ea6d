// The drawing area of the main window's picture box exactly as it shows a picture, so that the key read
// from it is the key of what the user sees, on any screen and without a window system.
#pragma once

#include <QImage>

#include <cstdint>

namespace velsaro {

class DrawingArea {
public:
    // Only the grey background.
    DrawingArea();
    // The picture unscaled with its top-left pixel at (0, 0), cut at the right and bottom; the grey
    // background wherever it does not reach and, composited, under its transparent pixels.
    explicit DrawingArea(const QImage& picture);

    // Colour number (red + 256 x green + 65536 x blue) of pixel (x, y); -1 outside the area.
    std::int32_t point(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= areaWidth_ || y >= areaHeight_)
            return -1;
        if (x >= coveredWidth_ || y >= coveredHeight_)
            return backgroundNumber_;
        const QRgb rgb = reinterpret_cast<const QRgb*>(covered_.constScanLine(y))[x];
        return qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb);
    }

    // What the area shows, 430 x 503, opaque.
    QImage image() const;

private:
    // The part of the area the picture covers, opaque RGB32, with its top-left pixel at (0, 0). It may
    // be larger than the area (an opaque picture is kept as it is, shared, not copied); only the
    // coveredWidth_ x coveredHeight_ corner is shown.
    QImage covered_;
    int areaWidth_;
    int areaHeight_;
    int coveredWidth_ = 0;
    int coveredHeight_ = 0;
    std::int32_t backgroundNumber_;
};

} // namespace velsaro
