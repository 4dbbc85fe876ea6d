#include "controls/command_button.h"

#include <QPushButton>

namespace velsaro {

QPushButton* addButton(QWidget* parent, const QString& text, const QRect& rect)
{
    auto* button = new QPushButton(text, parent);
    button->setGeometry(rect);
    button->setAutoDefault(false);
    return button;
}

} // namespace velsaro
