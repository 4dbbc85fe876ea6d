// A list box of text rows, 0-based, with one current row. Highlighting a row makes it current;
// removing the highlight leaves the current row where it was.
#pragma once

#include <QListWidget>
#include <QString>

namespace velsaro {

class ListBox : public QListWidget {
    Q_OBJECT

public:
    explicit ListBox(QWidget* parent = nullptr);

    void addItem(const QString& text);
    // Throws std::out_of_range for a row that does not exist.
    void removeItem(int row);
    // Text of an existing row. Throws std::out_of_range.
    QString itemText(int row) const;
    // Replaces the text of an existing row; writing row 0 of an empty list creates that row, so that
    // a key built in several runs can start in an empty list. Throws std::out_of_range otherwise.
    void setItemText(int row, const QString& text);
    // True highlights row and makes it current; False removes its highlight only.
    void setSelected(int row, bool selected);
    bool isSelected(int row) const;
    // The current row, -1 when there is none.
    int listIndex() const { return currentRow(); }
    int listCount() const { return count(); }

signals:
    // A double-click anywhere in the list, on a row or below the last one.
    void doubleClicked();

private:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void checkRow(int row) const;
};

} // namespace velsaro
