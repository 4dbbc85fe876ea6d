#include "controls/secondary_window.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace velsaro::testing {
namespace {

// A window that counts how often it was built and destroyed, with a button that closes it the way
// an "Aceptar" button does.
struct Counts {
    int built = 0;
    int destroyed = 0;
};

class CountedWindow : public QWidget {
public:
    explicit CountedWindow(Counts& counts) : counts_(counts), accept_(new QPushButton("Aceptar", this))
    {
        ++counts_.built;
        serial = counts_.built;
        connect(accept_, &QPushButton::clicked, this, &QWidget::close);
    }
    ~CountedWindow() override { ++counts_.destroyed; }

    QPushButton* accept() const { return accept_; }
    int serial = 0;

private:
    Counts& counts_;
    QPushButton* accept_;
};

void runDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class SecondaryWindowLifecycle : public ::testing::Test {
protected:
    Counts counts;
    SecondaryWindow<CountedWindow> window{[this] { return std::make_unique<CountedWindow>(counts); }};
};

TEST_F(SecondaryWindowLifecycle, FirstReferenceCreatesTheWindowHidden)
{
    EXPECT_FALSE(window.exists());
    EXPECT_EQ(counts.built, 0);
    const int serial = window->serial;
    EXPECT_EQ(serial, 1);
    EXPECT_TRUE(window.exists());
    EXPECT_FALSE(window->isVisible());
    // Later references reach the same window.
    EXPECT_EQ(window->serial, 1);
    EXPECT_EQ(counts.built, 1);
}

TEST_F(SecondaryWindowLifecycle, ShowDisplaysItAndShowingAgainKeepsTheSameWindow)
{
    window.show();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window.isShown());
    window.show();
    EXPECT_EQ(counts.built, 1);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(SecondaryWindowLifecycle, UnloadDestroysAndTheNextReferenceIsFresh)
{
    window.show();
    window.unload();
    EXPECT_FALSE(window.exists());
    runDeferredDeletes();
    EXPECT_EQ(counts.destroyed, 1);
    EXPECT_EQ(window->serial, 2);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(SecondaryWindowLifecycle, ItsOwnButtonClosingItUnloadsIt)
{
    window.show();
    QTest::mouseClick(window->accept(), Qt::LeftButton);
    EXPECT_FALSE(window.exists());
    runDeferredDeletes();
    EXPECT_EQ(counts.destroyed, 1);
    window.show();
    EXPECT_EQ(window->serial, 2);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(SecondaryWindowLifecycle, UnloadingAWindowThatDoesNotExistDoesNothing)
{
    window.unload();
    runDeferredDeletes();
    EXPECT_EQ(counts.built, 0);
    EXPECT_EQ(counts.destroyed, 0);
}

TEST_F(SecondaryWindowLifecycle, HiddenWindowCanBeUnloadedToo)
{
    (void)window->serial;
    window.unload();
    runDeferredDeletes();
    EXPECT_EQ(counts.destroyed, 1);
    EXPECT_FALSE(window.exists());
}

} // namespace
} // namespace velsaro::testing
