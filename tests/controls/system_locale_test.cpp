// Run once per locale by its own test entry, with LC_ALL set for the whole process: the program takes
// the decimal separator from the system's locale, which a test cannot change from inside.
#include "controls/user_number_text.h"
#include "tests/controls/qstring_printer.h"

#include <gtest/gtest.h>

namespace velsaro::testing {
namespace {

TEST(UnderSpanishSystemLocale, NumbersShowADecimalComma)
{
    ASSERT_EQ(QLocale::system().language(), QLocale::Spanish) << "run with LC_ALL=es_ES.UTF-8";
    EXPECT_EQ(twoDecimalUserText(12.504), "12,5");
    EXPECT_EQ(twoDecimalUserText(-2.5), "-2,5");
    EXPECT_EQ(twoDecimalUserText(0.004), "0");
    EXPECT_EQ(twoDecimalUserText(-0.001), "0");
    EXPECT_EQ(twoDecimalUserText(268435440), "268435440");
}

TEST(UnderEnglishSystemLocale, NumbersShowADecimalPoint)
{
    ASSERT_EQ(QLocale::system().language(), QLocale::English) << "run with LC_ALL=en_US.UTF-8";
    EXPECT_EQ(twoDecimalUserText(12.504), "12.5");
    EXPECT_EQ(twoDecimalUserText(-2.5), "-2.5");
    EXPECT_EQ(twoDecimalUserText(0.004), "0");
    EXPECT_EQ(twoDecimalUserText(268435440), "268435440");
}

TEST(UnderCSystemLocale, NumbersShowADecimalPoint)
{
    ASSERT_EQ(QLocale::system().language(), QLocale::C) << "run with LC_ALL=C";
    EXPECT_EQ(twoDecimalUserText(12.504), "12.5");
    EXPECT_EQ(twoDecimalUserText(-0.1), "-0.1");
}

} // namespace
} // namespace velsaro::testing
