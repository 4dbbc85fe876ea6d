#include "controls/picture_button.h"

#include <QPainter>

namespace velsaro {

namespace {

// The picture with its white pixels transparent: white is the mask colour of the button pictures,
// so the button's own background shows around the face.
QImage withWhiteTransparent(const QImage& picture)
{
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFF) == 0xFFFFFF)
                line[x] = qRgba(255, 255, 255, 0);
    }
    return out;
}

// The picture as a disabled button shows it: its shape kept, its colours washed out towards grey,
// so the user sees the button is there but not available.
QImage washedOut(const QImage& picture)
{
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int grey = 128 + qGray(line[x]) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
        }
    }
    return out;
}

} // namespace

PictureButton::PictureButton(const QImage& picture, QColor background, QWidget* parent)
    : QAbstractButton(parent), picture_(withWhiteTransparent(picture)), disabledPicture_(washedOut(picture_)),
      background_(background)
{
    setFocusPolicy(Qt::StrongFocus);
}

QSize PictureButton::sizeHint() const { return picture_.size() + QSize(1, 1); }

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), background_);

    // Pressed, the picture moves one pixel down and right, as the caption of a pressed button does.
    const bool down = isDown();
    const QImage& face = isEnabled() ? picture_ : disabledPicture_;
    const QPoint at((width() - face.width()) / 2 + (down ? 1 : 0), (height() - face.height()) / 2 + (down ? 1 : 0));
    painter.drawImage(at, face);

    painter.setPen(down ? QColor(64, 64, 64) : QColor(224, 224, 224));
    painter.drawLine(outer.topLeft(), outer.topRight());
    painter.drawLine(outer.topLeft(), outer.bottomLeft());
    painter.setPen(down ? QColor(224, 224, 224) : QColor(32, 32, 32));
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());

    if (hasFocus()) {
        QPen dotted(Qt::black, 1, Qt::DotLine);
        painter.setPen(dotted);
        painter.drawRect(outer.adjusted(3, 3, -3, -3));
    }
}

} // namespace velsaro
