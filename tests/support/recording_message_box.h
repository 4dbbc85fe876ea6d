// The message box as the tests see it: nothing is shown, every text is kept.
#pragma once

#include "controls/message_box.h"

#include <QStringList>

namespace velsaro::testing {

// Shows nothing; keeps every text it was asked to show, in order.
class RecordingMessageBox : public MessageBox {
public:
    void show(const QString& text) override { shown_.append(text); }
    const QStringList& shown() const { return shown_; }

private:
    QStringList shown_;
};

} // namespace velsaro::testing
