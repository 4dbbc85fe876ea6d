#include "tests/app/form1_fixture.h"

#include "app/close_on_signal.h"
#include "controls/message_box.h"

#include <QApplication>
#include <QTimer>

#include <csignal>

namespace velsaro::testing {
namespace {

// Lets the event loop come round until window has closed, a bounded number of times.
void letTheLoopRunUntilClosed(const QWidget& window)
{
    for (int round = 0; round < 200 && window.isVisible(); ++round)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

using CloseOnSignalTest = Form1Test;

TEST_F(CloseOnSignalTest, SigtermClosesTheMainWindowAndTheWindowsItTakesAlong)
{
    form1->show();
    form1->form2.show();
    {
        CloseOnSignal closer(*form1);
        std::raise(SIGTERM);
        letTheLoopRunUntilClosed(*form1);
    }
    EXPECT_FALSE(form1->isVisible());
    EXPECT_FALSE(form1->form2.exists());
}

TEST_F(CloseOnSignalTest, SigintFromATerminalClosesItToo)
{
    form1->show();
    CloseOnSignal closer(*form1);
    std::raise(SIGINT);
    letTheLoopRunUntilClosed(*form1);
    EXPECT_FALSE(form1->isVisible());
}

// A modal box runs an event loop of its own: the signal must end it too, or the program lives on.
TEST_F(CloseOnSignalTest, SigtermClosesAMessageBoxOnShowAndThenTheWindow)
{
    form1->show();
    CloseOnSignal closer(*form1);
    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    QObject rescue; // a box the signal leaves on show fails the test, then goes
    QTimer::singleShot(10000, &rescue, [] {
        ADD_FAILURE() << "the message box outlived the signal";
        QApplication::activeModalWidget()->close();
    });
    QtMessageBox(form1.get()).show(QStringLiteral("falta.jpg"));
    letTheLoopRunUntilClosed(*form1);
    EXPECT_FALSE(form1->isVisible());
}

TEST_F(CloseOnSignalTest, TheFormerHandlersComeBackWithItsEnd)
{
    struct sigaction before = {};
    sigaction(SIGTERM, nullptr, &before);
    {
        CloseOnSignal closer(*form1);
        struct sigaction during = {};
        sigaction(SIGTERM, nullptr, &during);
        EXPECT_NE(during.sa_handler, before.sa_handler);
    }
    struct sigaction after = {};
    sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

} // namespace
} // namespace velsaro::testing
