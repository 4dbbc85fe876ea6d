// The drawing area of a picture box exactly as it shows a picture, so that the key read from it is the
// key of what the user sees, on any screen and without a window system.
#pragma once

#include "picture/colour_number.h"

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
        if (x < 0 || y < 0 || x >= size_.width() || y >= size_.height())
            return -1;
        if (x >= coveredWidth_ || y >= coveredHeight_)
            return backgroundNumber_;
        const QRgb rgb = reinterpret_cast<const QRgb*>(covered_.constScanLine(y))[x];
        return numberOfRgb(rgb);
    }

    // Paints box, clipped to the area, in one opaque colour.
    void fillBox(const QRect& box, QColor colour);

    // What the area shows, opaque, at its size.
    const QImage& image() const;
    // The part of image() the picture covers (all of it once something is drawn), without painting the
    // rest of the area: shared with the picture where it is opaque and fits.
    QImage coveredPart() const;

private:
    void makeShown() const;

    QSize size_;
    QColor background_;
    std::int32_t backgroundNumber_;
    // What covers the background from (0, 0): the picture as it is when opaque (shared, not copied,
    // so keying a picture costs no copy of it), composited over the background when not, or the whole
    // shown image once something has been drawn. Only its coveredWidth_ x coveredHeight_ corner shows.
    QImage covered_;
    int coveredWidth_ = 0;
    int coveredHeight_ = 0;
    mutable QImage shown_; // the whole area, made when first asked for or drawn on
};

// picture opaque, Format_RGB32: composited over the main area's grey as the area shows it, when it has
// an alpha channel.
QImage opaqueOverBackground(const QImage& picture);

} // namespace velsaro
