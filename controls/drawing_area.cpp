#include "controls/drawing_area.h"

#include "engine/geometry.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace velsaro {

namespace {

const QColor backgroundGrey(192, 192, 192);

// A transparent or translucent picture over the opaque grey, source-over: the raster engine blends
// partial alpha the same way the picture box paints it.
QImage compositedOverGrey(const QImage& picture, int width, int height)
{
    QImage composited(width, height, QImage::Format_RGB32);
    composited.fill(backgroundGrey);
    // A picture read from a "@2x" file would otherwise be drawn at half size: one picture pixel is
    // always one area pixel.
    QImage unscaled = picture;
    unscaled.setDevicePixelRatio(1.0);
    QPainter painter(&composited);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, unscaled);
    return composited;
}

} // namespace

DrawingArea::DrawingArea()
    : areaWidth_(drawingAreaWidth), areaHeight_(drawingAreaHeight), backgroundNumber_(backgroundColour)
{
}

DrawingArea::DrawingArea(const QImage& picture) : DrawingArea()
{
    if (picture.isNull())
        return;
    coveredWidth_ = std::min(picture.width(), areaWidth_);
    coveredHeight_ = std::min(picture.height(), areaHeight_);
    // An opaque picture is what the area shows where it reaches, so it is read in place: keying a
    // picture then costs no copy of it, which matters in batches.
    if (!picture.hasAlphaChannel())
        covered_ = picture.format() == QImage::Format_RGB32 ? picture
                                                            : picture.convertToFormat(QImage::Format_RGB32);
    else
        covered_ = compositedOverGrey(picture, coveredWidth_, coveredHeight_);
}

QImage DrawingArea::image() const
{
    QImage area(areaWidth_, areaHeight_, QImage::Format_RGB32);
    area.fill(backgroundGrey);
    for (int y = 0; y < coveredHeight_; ++y)
        std::memcpy(area.scanLine(y), covered_.constScanLine(y), std::size_t(coveredWidth_) * sizeof(QRgb));
    return area;
}

} // namespace velsaro
