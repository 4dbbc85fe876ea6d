#include "controls/progress_bar.h"

#include <QCoreApplication>
#include <QEvent>
#include <QProgressBar>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>

namespace {

using velsaro::ProgressBar;

// The Qt bar inside, as a fraction of its range: what is actually drawn.
double shownFraction(const ProgressBar& bar)
{
    const auto* inner = bar.findChild<QProgressBar*>();
    return double(inner->value() - inner->minimum()) / (inner->maximum() - inner->minimum());
}

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return QObject::eventFilter(watched, event);
    }
};

TEST(ProgressBarRange, StartsAtZeroOfZeroToHundred)
{
    ProgressBar bar;
    EXPECT_EQ(bar.min(), 0.0);
    EXPECT_EQ(bar.max(), 100.0);
    EXPECT_EQ(bar.value(), 0.0);
    EXPECT_EQ(shownFraction(bar), 0.0);
}

TEST(ProgressBarRange, ShowsTheValueWithinMinAndMax)
{
    ProgressBar bar;
    bar.setMin(1);
    bar.setMax(10);
    bar.setValue(5.5);
    EXPECT_EQ(bar.value(), 5.5);
    EXPECT_DOUBLE_EQ(bar.fraction(), 0.5);
    EXPECT_NEAR(shownFraction(bar), 0.5, 1e-4);
    bar.setValue(10);
    EXPECT_EQ(shownFraction(bar), 1.0);
    bar.setValue(1);
    EXPECT_EQ(shownFraction(bar), 0.0);
}

TEST(ProgressBarRange, ValueOutsideTheRangeStaysAtTheNearerEnd)
{
    ProgressBar bar;
    bar.setMin(1);
    bar.setMax(10);
    bar.setValue(30);
    EXPECT_EQ(bar.value(), 10.0);
    EXPECT_EQ(shownFraction(bar), 1.0);
    bar.setValue(-4);
    EXPECT_EQ(bar.value(), 1.0);
    EXPECT_EQ(shownFraction(bar), 0.0);
}

TEST(ProgressBarRange, NarrowingTheRangeBringsTheValueInside)
{
    ProgressBar bar;
    bar.setMin(1);
    bar.setMax(90);
    bar.setValue(30);
    bar.setMax(10);
    EXPECT_EQ(bar.value(), 10.0);
    bar.setMin(20);
    EXPECT_EQ(bar.min(), 20.0);
    EXPECT_EQ(bar.max(), 20.0);
    EXPECT_EQ(bar.value(), 20.0);
    EXPECT_EQ(bar.fraction(), 0.0);
    bar.setMax(5);
    EXPECT_EQ(bar.min(), 5.0);
    EXPECT_EQ(bar.value(), 5.0);
}

TEST(ProgressBarRange, NonFiniteNumbersAreIgnored)
{
    ProgressBar bar;
    bar.setValue(40);
    bar.setValue(std::numeric_limits<double>::quiet_NaN());
    bar.setMax(std::numeric_limits<double>::infinity());
    bar.setMin(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(bar.value(), 40.0);
    EXPECT_EQ(bar.min(), 0.0);
    EXPECT_EQ(bar.max(), 100.0);
}

// A load of two files: value 1, maximum 30, then 10, 20, 30, back to 1 and the maximum 10.
TEST(ProgressBarRange, LoadSequenceEndsAtOneOfOneToTen)
{
    ProgressBar bar;
    bar.setMin(1);
    bar.setMax(10);
    bar.setValue(1);
    bar.setMax(30);
    for (int counter : {10, 20, 30}) {
        bar.setValue(counter);
        EXPECT_EQ(bar.value(), counter);
    }
    bar.setValue(1);
    bar.setMax(10);
    EXPECT_EQ(bar.value(), 1.0);
    EXPECT_EQ(bar.min(), 1.0);
    EXPECT_EQ(bar.max(), 10.0);
}

TEST(ProgressBarRefresh, RepaintsAtOnceWithoutTheEventLoop)
{
    ProgressBar bar;
    bar.resize(405, 22);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QCoreApplication::processEvents();
    auto* inner = bar.findChild<QProgressBar*>();
    PaintCounter counter;
    inner->installEventFilter(&counter);
    bar.refresh();
    EXPECT_EQ(counter.paints, 1);
    inner->removeEventFilter(&counter);
}

} // namespace
