#include "controls/image_control.h"

#include <QMouseEvent>
#include <QPainter>

namespace velsaro {

ImageControl::ImageControl(QWidget* parent) : QWidget(parent)
{
    // No background of its own: whatever lies below shows through where no picture is drawn.
    setAttribute(Qt::WA_NoSystemBackground);
}

void ImageControl::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void ImageControl::setStretch(bool stretch)
{
    stretch_ = stretch;
    update();
}

void ImageControl::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, stretch_);
    if (stretch_)
        painter.drawImage(rect(), picture_);
    else
        painter.drawImage(0, 0, picture_);
}

void ImageControl::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event)
{
    const bool wasPressed = pressed_;
    pressed_ = false;
    if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace velsaro
