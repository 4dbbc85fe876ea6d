#include "controls/picture_box.h"

#include "engine/geometry.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace velsaro {

namespace {

// The drawing area in the widget: it paints the shown image, one image pixel to one pixel of the
// layout, and carries the controls placed over the picture.
class Surface : public QWidget {
public:
    Surface(const DrawingArea& area, QWidget* parent) : QWidget(parent), area_(area)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

private:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.drawImage(event->rect().topLeft(), area_.image(), event->rect());
    }

    const DrawingArea& area_;
};

int nearestPixel(double coordinate) { return int(roundHalfEven(coordinate)); }

} // namespace

PictureBox::PictureBox(QSize outerSize, QColor background, QWidget* parent)
    : QWidget(parent), background_(background),
      area_(outerSize - QSize(2 * borderWidth, 2 * borderWidth), background)
{
    setFixedSize(outerSize);
    // Reached by Tab only: a click on the picture, or on a click area over it, leaves the keyboard
    // where it was, with the walkthrough's next-step button during a walkthrough.
    setFocusPolicy(Qt::TabFocus);
    surface_ = new Surface(area_, this);
    surface_->setGeometry(borderWidth, borderWidth, drawingAreaSize().width(), drawingAreaSize().height());
}

void PictureBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    area_ = DrawingArea(drawingAreaSize(), background_, picture_);
    surface_->update();
}

std::int32_t PictureBox::point(double x, double y) const
{
    return area_.point(nearestPixel(x), nearestPixel(y));
}

void PictureBox::fillBox(double x1, double y1, double x2, double y2, std::int32_t colourNumber)
{
    const int left = nearestPixel(std::min(x1, x2));
    const int top = nearestPixel(std::min(y1, y2));
    const int right = nearestPixel(std::max(x1, x2));
    const int bottom = nearestPixel(std::max(y1, y2));
    area_.fillBox(QRect(QPoint(left, top), QSize(right - left, bottom - top)), colourOfNumber(colourNumber));
    surface_->update();
}

void PictureBox::cls()
{
    area_ = DrawingArea(drawingAreaSize(), background_, picture_);
    surface_->update();
}

void PictureBox::refresh() { repaint(); }

void PictureBox::paintEvent(QPaintEvent*)
{
    // The sunken edge of a classic client area: dark grey and black above and to the left, white and
    // light grey below and to the right.
    QPainter painter(this);
    // QRect's right and bottom are the last pixel column and row, so the edges run to the box's own.
    const QRect outer = rect();
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    painter.setPen(QColor(128, 128, 128));
    painter.drawLine(outer.topLeft(), outer.topRight());
    painter.drawLine(outer.topLeft(), outer.bottomLeft());
    painter.setPen(Qt::white);
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());
    painter.setPen(Qt::black);
    painter.drawLine(inner.topLeft(), inner.topRight());
    painter.drawLine(inner.topLeft(), inner.bottomLeft());
    painter.setPen(QColor(212, 208, 200));
    painter.drawLine(inner.bottomLeft(), inner.bottomRight());
    painter.drawLine(inner.topRight(), inner.bottomRight());
}

} // namespace velsaro
