#include "controls/decorations.h"

#include "controls/image_control.h"
#include "controls/rectangle_shape.h"

#include <QLabel>

namespace velsaro {

ImageControl* addStretchedPicture(QWidget* parent, const QRect& rect, const QImage& picture)
{
    auto* image = new ImageControl(parent);
    image->setGeometry(rect);
    image->setStretch(true);
    image->setPicture(picture);
    return image;
}

RectangleShape* addFrame(QWidget* parent, const QRect& rect)
{
    auto* frame = new RectangleShape(parent);
    frame->setGeometry(rect);
    return frame;
}

QLabel* addLabel(QWidget* parent, const QString& text, const QRect& rect, const QFont& font,
                 Qt::Alignment alignment)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(rect);
    label->setFont(font);
    label->setAlignment(alignment);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

} // namespace velsaro
