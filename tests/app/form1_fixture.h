// A main window as the program creates it, reached through its test seam, with the file dialog
// replaced by a scripted one and the message box by a recorder, and a few helpers to find its
// decorations by their texts.
#pragma once

#include "tests/app/form1_access.h"
#include "tests/support/recording_message_box.h"
#include "tests/support/scripted_file_open_dialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace velsaro::testing {

class Form1Test : public ::testing::Test {
protected:
    ScriptedFileOpenDialog dialog;
    RecordingMessageBox messages;
    std::unique_ptr<Form1Access> form1 = std::make_unique<Form1Access>(dialog, messages);

    void TearDown() override
    {
        form1.reset();
        runDeferredDeletes();
    }

    // Windows unloaded by a click are deleted once the event loop comes round.
    static void runDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

// The label of window with exactly this text, or null.
inline QLabel* labelWithText(const QWidget& window, const QString& text)
{
    for (QLabel* label : window.findChildren<QLabel*>())
        if (label->text() == text)
            return label;
    return nullptr;
}

// The widget that has the focus after one press of Tab in from, with window shown and active.
inline QWidget* focusAfterTab(QWidget& window, QWidget& from)
{
    window.show();
    QApplication::setActiveWindow(&window);
    from.setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    return QApplication::focusWidget();
}

} // namespace velsaro::testing
