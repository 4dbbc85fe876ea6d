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
        if (x < 0 || y < 0 || x >= pixels_.width() || y >= pixels_.height())
            return -1;
        const QRgb rgb = reinterpret_cast<const QRgb*>(pixels_.constScanLine(y))[x];
        return qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb);
    }

    // What the area shows, 430 x 503, opaque.
    const QImage& image() const { return pixels_; }

private:
    QImage pixels_;
};

} // namespace velsaro
