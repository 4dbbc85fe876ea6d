// The faces of the two walkthrough buttons: a round grey button with a black rim and a dark symbol.
// They are drawn smoothed and then made two-level in coverage, so that every pixel is either the white
// background, which the button treats as transparent, or an opaque colour of the face: a half-covered
// edge pixel blended with white would show as a pale fringe on the button's grey.
#include "resources/pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace velsaro::resources {

namespace {

constexpr QRgb background = 0xFFFFFFFF;
// The lightest a face pixel may be: pure white would be taken for background.
constexpr QRgb nearWhite = 0xFFFEFEFE;
const QColor symbolColour(36, 36, 36);

QImage blankFace()
{
    QImage face(buttonPictureWidth, buttonPictureHeight, QImage::Format_ARGB32);
    face.fill(Qt::transparent);
    return face;
}

// The shaded disc and its rim, lit from the top left like a raised button.
void drawDisc(QPainter& painter)
{
    const QRectF disc(1.5, 0.5, 30.0, 30.0);
    QRadialGradient shade(QPointF(12.0, 9.0), 22.0);
    shade.setColorAt(0.0, QColor(236, 236, 236));
    shade.setColorAt(0.55, QColor(176, 176, 176));
    shade.setColorAt(1.0, QColor(104, 104, 104));
    painter.setBrush(shade);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawEllipse(disc);
}

// A right-pointing triangle with its left edge at x = left, centred on the disc's middle row.
void drawTriangle(QPainter& painter, qreal left, qreal width)
{
    QPainterPath triangle;
    triangle.moveTo(left, 8.0);
    triangle.lineTo(left + width, 15.5);
    triangle.lineTo(left, 23.0);
    triangle.closeSubpath();
    painter.fillPath(triangle, symbolColour);
}

// Pixels at least half covered become opaque face colours; the rest become the white background.
QImage onWhiteBackground(const QImage& face)
{
    QImage result(face.size(), QImage::Format_RGB32);
    for (int y = 0; y < face.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(face.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < face.width(); ++x) {
            const QRgb pixel = in[x];
            const QRgb opaque = qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel));
            out[x] = qAlpha(pixel) < 128 ? background : (opaque == background ? nearWhite : opaque);
        }
    }
    return result;
}

QImage buttonFace(bool withBar)
{
    QImage face = blankFace();
    {
        QPainter painter(&face);
        painter.setRenderHint(QPainter::Antialiasing);
        drawDisc(painter);
        if (withBar) {
            painter.fillRect(QRectF(9.0, 8.0, 3.0, 15.0), symbolColour);
            drawTriangle(painter, 14.0, 11.0);
        } else {
            drawTriangle(painter, 12.0, 12.0);
        }
    }
    return onWhiteBackground(face);
}

} // namespace

QImage pasoButtonPicture()
{
    return buttonFace(true);
}

QImage pasoPasoButtonPicture()
{
    return buttonFace(false);
}

} // namespace velsaro::resources
