#include "engine/number_text.h"

#include <gtest/gtest.h>

namespace velsaro {
namespace {

TEST(TwoDecimalText, RoundsToTwoDecimalsInTheGeneralFormat)
{
    EXPECT_EQ(twoDecimalText(12.504, ','), "12,5");
    EXPECT_EQ(twoDecimalText(-0.1, ','), "-0,1");
    EXPECT_EQ(twoDecimalText(3, ','), "3");
    EXPECT_EQ(twoDecimalText(-2.5, ','), "-2,5");
    EXPECT_EQ(twoDecimalText(1.999, ','), "2");
    EXPECT_EQ(twoDecimalText(4194305.70311, ','), "4194305,7");
}

TEST(TwoDecimalText, ExactHalvesGoToTheEvenSecondDecimal)
{
    EXPECT_EQ(twoDecimalText(0.125, '.'), "0.12");
    EXPECT_EQ(twoDecimalText(0.375, '.'), "0.38");
    EXPECT_EQ(twoDecimalText(-0.625, '.'), "-0.62");
}

TEST(TwoDecimalText, TinyValuesShowZeroWithoutSign)
{
    EXPECT_EQ(twoDecimalText(0.004, ','), "0");
    EXPECT_EQ(twoDecimalText(-0.004, ','), "0");
    EXPECT_EQ(twoDecimalText(-0.0, ','), "0");
}

TEST(TwoDecimalText, LargeCoefficientsKeepAllDigits)
{
    EXPECT_EQ(twoDecimalText(268435440, ','), "268435440");
    EXPECT_EQ(twoDecimalText(-268435440.25, ','), "-268435440,25");
    EXPECT_EQ(twoDecimalText(67108860.0012, '.'), "67108860");
}

} // namespace
} // namespace velsaro
