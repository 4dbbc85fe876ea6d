#include "tests/app/form1_fixture.h"

#include "app/close_on_signal.h"

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
