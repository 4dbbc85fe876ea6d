// The image selector's kind of combo box: pick-only, with a click event raised both when the user
// picks an entry and when the program sets the current entry.
#pragma once

#include <QComboBox>
#include <QString>

namespace velsaro {

class ComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit ComboBox(QWidget* parent = nullptr);

    void addItem(const QString& text) { QComboBox::addItem(text); }
    // Current entry, 0-based; -1 when there is none.
    int listIndex() const { return currentIndex(); }
    // Selects entry index (0..count() - 1, or -1 for none) and raises clicked(), also when the entry
    // was already current. Throws std::out_of_range for another index.
    void setListIndex(int index);
    int listCount() const { return count(); }
    // Text of the current entry, empty when there is none.
    QString text() const { return currentText(); }

signals:
    void clicked();
};

} // namespace velsaro
