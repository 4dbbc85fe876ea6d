// The decorations every window carries, built the same way everywhere: a title strip (a stretched
// picture with a transparent label over it), a frame around a group of controls, and plain labels.
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <Qt>

class QLabel;
class QWidget;

namespace velsaro {

class ImageControl;
class RectangleShape;

// A picture stretched over rect, under nothing: create it before the label that goes over it.
ImageControl* addStretchedPicture(QWidget* parent, const QRect& rect, const QImage& picture);

// A rectangle outline around rect.
RectangleShape* addFrame(QWidget* parent, const QRect& rect);

// A transparent label in the window-text colour.
QLabel* addLabel(QWidget* parent, const QString& text, const QRect& rect, const QFont& font,
                 Qt::Alignment alignment);

} // namespace velsaro
