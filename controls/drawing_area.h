// The drawing area of a picture box exactly as it shows a picture, so that the key read from it is the
// key of what the user sees, on any screen and without a window system.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

#include <cstdint>

namespace velsaro {

class DrawingArea {
public:
    // The main window's area, 430 x 503, with only the grey background.
    DrawingArea();
    // The main window's area showing picture unscaled with its top-left pixel at (0, 0), cut at the
    // right and bottom; the grey background wherever it does not reach and, composited, under its
    // transparent pixels.
    explicit DrawingArea(const QImage& picture);
    // An area of any size and background, the same way.
    DrawingArea(QSize size, QColor background, const QImage& picture = QImage());

    // Colour number (red + 256 x green + 65536 x blue) of pixel (x, y); -1 outside the area.
    std::int32_t point(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= pixels_.width() || y >= pixels_.height())
            return -1;
        const QRgb rgb = reinterpret_cast<const QRgb*>(pixels_.constScanLine(y))[x];
        return qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb);
    }

    // Paints box, clipped to the area, in one opaque colour.
    void fillBox(const QRect& box, QColor colour);

    // What the area shows, opaque.
    const QImage& image() const { return pixels_; }

private:
    QImage pixels_;
};

} // namespace velsaro
