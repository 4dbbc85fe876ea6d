#include "controls/combo_box.h"

#include <stdexcept>
#include <string>

namespace velsaro {

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    // A pick by the user, even of the entry already shown, is a click.
    connect(this, &QComboBox::activated, this, &ComboBox::clicked);
}

void ComboBox::setListIndex(int index)
{
    if (index < -1 || index >= count())
        throw std::out_of_range("combo box entry " + std::to_string(index) + " of " + std::to_string(count()));
    setCurrentIndex(index);
    emit clicked();
}

} // namespace velsaro
