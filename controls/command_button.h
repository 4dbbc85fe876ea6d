// The command buttons of every window, built the same way everywhere.
#pragma once

#include <QRect>
#include <QString>

class QPushButton;
class QWidget;

namespace velsaro {

// A push button with text at rect. Never auto-default, whatever window holds it: a click or Space
// presses it, Enter does not.
QPushButton* addButton(QWidget* parent, const QString& text, const QRect& rect);

} // namespace velsaro
