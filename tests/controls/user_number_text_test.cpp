#include "controls/user_number_text.h"
#include "tests/controls/qstring_printer.h"

#include <gtest/gtest.h>

namespace velsaro::testing {
namespace {

const QLocale spanish(QLocale::Spanish, QLocale::Spain);
const QLocale english(QLocale::English, QLocale::UnitedStates);

TEST(TwoDecimalUserText, SpanishConventionsWriteAComma)
{
    EXPECT_EQ(twoDecimalUserText(12.504, spanish), "12,5");
    EXPECT_EQ(twoDecimalUserText(-2.5, spanish), "-2,5");
    EXPECT_EQ(twoDecimalUserText(-0.1, spanish), "-0,1");
    EXPECT_EQ(twoDecimalUserText(3, spanish), "3");
    EXPECT_EQ(twoDecimalUserText(0.125, spanish), "0,12");
}

TEST(TwoDecimalUserText, EnglishAndCWriteAPoint)
{
    EXPECT_EQ(twoDecimalUserText(12.504, english), "12.5");
    EXPECT_EQ(twoDecimalUserText(-2.5, english), "-2.5");
    EXPECT_EQ(twoDecimalUserText(0.375, QLocale::c()), "0.38");
}

TEST(TwoDecimalUserText, ValuesThatRoundToZeroShowZeroWithoutSign)
{
    EXPECT_EQ(twoDecimalUserText(0.004, spanish), "0");
    EXPECT_EQ(twoDecimalUserText(-0.004, spanish), "0");
    EXPECT_EQ(twoDecimalUserText(-0.004, english), "0");
}

TEST(TwoDecimalUserText, LargeCoefficientsKeepEveryDigitWithoutGroupingOrExponent)
{
    EXPECT_EQ(twoDecimalUserText(268435440, spanish), "268435440");
    EXPECT_EQ(twoDecimalUserText(-268435440.25, spanish), "-268435440,25");
    EXPECT_EQ(twoDecimalUserText(268435440, english), "268435440");
}

TEST(TwoDecimalUserText, ASeparatorOfSeveralBytesIsWrittenWhole)
{
    // Arabic writes its own decimal separator, outside ASCII.
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    ASSERT_NE(arabic.decimalPoint(), QStringLiteral("."));
    EXPECT_EQ(twoDecimalUserText(1.25, arabic), QStringLiteral("1") + arabic.decimalPoint() + QStringLiteral("25"));
}

} // namespace
} // namespace velsaro::testing
