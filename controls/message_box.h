// The program's message box behind a small interface, so that tests can record what would be shown
// instead of blocking on a modal box.
#pragma once

#include <QString>

class QWidget;

namespace velsaro {

// The title every message of the program carries.
inline constexpr char messageBoxTitle[] = "Velsaro";

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Shows text with an OK button and the program's title; returns once the user has dismissed it.
    virtual void show(const QString& text) = 0;
};

// A modal Qt message box over parent.
class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent) : parent_(parent) {}
    void show(const QString& text) override;

private:
    QWidget* parent_;
};

} // namespace velsaro
