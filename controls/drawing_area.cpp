#include "controls/drawing_area.h"

#include "engine/geometry.h"

#include <QPainter>

namespace velsaro {

namespace {

const QColor mainAreaBackground(192, 192, 192);

} // namespace

DrawingArea::DrawingArea() : DrawingArea(QSize(drawingAreaWidth, drawingAreaHeight), mainAreaBackground) {}

DrawingArea::DrawingArea(const QImage& picture)
    : DrawingArea(QSize(drawingAreaWidth, drawingAreaHeight), mainAreaBackground, picture)
{
}

DrawingArea::DrawingArea(QSize size, QColor background, const QImage& picture)
    : pixels_(size, QImage::Format_RGB32)
{
    pixels_.fill(background.rgb());
    if (picture.isNull())
        return;
    // Source-over onto the opaque background: the raster engine clips at the area's edges and blends
    // partial alpha, the same way the picture box paints it.
    // A picture read from a "@2x" file would otherwise be drawn at half size: one picture pixel is
    // always one area pixel.
    QImage unscaled = picture;
    unscaled.setDevicePixelRatio(1.0);
    QPainter painter(&pixels_);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, unscaled);
}

void DrawingArea::fillBox(const QRect& box, QColor colour)
{
    QPainter painter(&pixels_);
    painter.fillRect(box, QColor(colour.rgb()));
}

} // namespace velsaro
