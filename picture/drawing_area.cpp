#include "picture/drawing_area.h"

#include "engine/geometry.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace velsaro {

namespace {

const QColor mainAreaBackground(192, 192, 192);

// A transparent or translucent picture over the opaque background, source-over: the raster engine
// blends partial alpha the same way the picture box paints it.
QImage compositedOver(QColor background, const QImage& picture, int width, int height)
{
    QImage composited(width, height, QImage::Format_RGB32);
    composited.fill(background);
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

DrawingArea::DrawingArea() : DrawingArea(QSize(drawingAreaWidth, drawingAreaHeight), mainAreaBackground) {}

DrawingArea::DrawingArea(const QImage& picture)
    : DrawingArea(QSize(drawingAreaWidth, drawingAreaHeight), mainAreaBackground, picture)
{
}

DrawingArea::DrawingArea(QSize size, QColor background, const QImage& picture)
    : size_(size.expandedTo(QSize(0, 0))), background_(QColor(background.rgb())),
      backgroundNumber_(numberOfColour(background_))
{
    if (picture.isNull())
        return;
    coveredWidth_ = std::min(picture.width(), size_.width());
    coveredHeight_ = std::min(picture.height(), size_.height());
    if (!picture.hasAlphaChannel())
        covered_ = picture.format() == QImage::Format_RGB32 ? picture
                                                            : picture.convertToFormat(QImage::Format_RGB32);
    else
        covered_ = compositedOver(background_, picture, coveredWidth_, coveredHeight_);
}

void DrawingArea::makeShown() const
{
    shown_ = QImage(size_, QImage::Format_RGB32);
    shown_.fill(background_);
    for (int y = 0; y < coveredHeight_; ++y)
        std::memcpy(shown_.scanLine(y), covered_.constScanLine(y), std::size_t(coveredWidth_) * sizeof(QRgb));
}

const QImage& DrawingArea::image() const
{
    if (shown_.isNull())
        makeShown();
    return shown_;
}

QImage DrawingArea::coveredPart() const
{
    const QImage& source = shown_.isNull() ? covered_ : shown_;
    if (source.width() == coveredWidth_ && source.height() == coveredHeight_)
        return source;
    return source.copy(0, 0, coveredWidth_, coveredHeight_);
}

void DrawingArea::fillBox(const QRect& box, QColor colour)
{
    if (shown_.isNull())
        makeShown();
    // Let go of the shared copy first, so that painting changes the pixels in place.
    covered_ = QImage();
    {
        QPainter painter(&shown_);
        painter.fillRect(box, QColor(colour.rgb()));
    }
    covered_ = shown_;
    coveredWidth_ = size_.width();
    coveredHeight_ = size_.height();
}

QImage opaqueOverBackground(const QImage& picture)
{
    if (!picture.hasAlphaChannel())
        return picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    return compositedOver(mainAreaBackground, picture, picture.width(), picture.height());
}

} // namespace velsaro
