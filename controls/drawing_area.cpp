#include "controls/drawing_area.h"

#include "engine/geometry.h"

#include <QPainter>

namespace velsaro {

namespace {

QImage backgroundImage()
{
    QImage area(drawingAreaWidth, drawingAreaHeight, QImage::Format_RGB32);
    area.fill(QColor(192, 192, 192));
    return area;
}

} // namespace

DrawingArea::DrawingArea() : pixels_(backgroundImage()) {}

DrawingArea::DrawingArea(const QImage& picture) : pixels_(backgroundImage())
{
    // Source-over onto the opaque grey: the raster engine clips at the area's edges and blends
    // partial alpha, the same way the picture box paints it.
    // A picture read from a "@2x" file would otherwise be drawn at half size: one picture pixel is
    // always one area pixel.
    QImage unscaled = picture;
    unscaled.setDevicePixelRatio(1.0);
    QPainter painter(&pixels_);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, unscaled);
}

} // namespace velsaro
