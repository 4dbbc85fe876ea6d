#include "controls/list_box.h"

#include <QMouseEvent>

#include <stdexcept>
#include <string>

namespace velsaro {

ListBox::ListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
}

void ListBox::checkRow(int row) const
{
    if (row < 0 || row >= count())
        throw std::out_of_range("list row " + std::to_string(row) + " of " + std::to_string(count()));
}

void ListBox::addItem(const QString& text) { QListWidget::addItem(text); }

void ListBox::removeItem(int row)
{
    checkRow(row);
    delete takeItem(row);
}

QString ListBox::itemText(int row) const
{
    checkRow(row);
    return item(row)->text();
}

void ListBox::setItemText(int row, const QString& text)
{
    if (row == 0 && count() == 0) {
        addItem(text);
        return;
    }
    checkRow(row);
    item(row)->setText(text);
}

void ListBox::setSelected(int row, bool selected)
{
    checkRow(row);
    if (selected)
        setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    else
        item(row)->setSelected(false);
}

bool ListBox::isSelected(int row) const
{
    checkRow(row);
    return item(row)->isSelected();
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

} // namespace velsaro
