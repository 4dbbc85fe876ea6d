#include "engine/key_engine.h"

#include <gtest/gtest.h>

namespace velsaro {
namespace {

LevelResult levelWithAverages(const std::array<std::array<double, 3>, 3>& p)
{
    LevelResult level;
    level.n = 4;
    level.matrizP = p;
    calculaMatrizS(level);
    return level;
}

std::string digitsOf(const LevelResult& level, int k)
{
    std::string digits;
    for (std::int16_t d : level.matrizS[k])
        digits += std::to_string(d);
    return digits;
}

TEST(MatrizS, WorkedExampleGivesItsDigitsCodesAndText)
{
    const LevelResult level = levelWithAverages({{{-3.5, 2, 0}, {4, -1, 6}, {7, 8, -9}}});
    const std::array<std::string, 9> digits = {"0000-10000", "1111-11010", "0000-10100", "1111-11100", "1000-10001",
                                               "1111-11011", "1111-10111", "1111-11111", "0000-10000"};
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(digitsOf(level, k), digits[k]) << k;
    EXPECT_EQ(levelKeyText(level), "0.250.4.252.129.251.247.255.0.");
}

TEST(MatrizS, EqualPositiveAveragesGiveTheFlatCodes)
{
    const LevelResult level = levelWithAverages({{{5, 5, 5}, {5, 5, 5}, {5, 5, 5}}});
    EXPECT_EQ(levelKeyText(level), "244.224.233.148.0.41.151.7.47.");
}

TEST(MatrizS, ZeroAveragesGiveZeroCodes)
{
    EXPECT_EQ(levelKeyText(levelWithAverages({})), "0.0.0.0.0.0.0.0.0.");
}

TEST(MatrizS, NegativeEqualAveragesSetNoBitEvenOffTheMesh)
{
    // Off the mesh counts as 0, which is not smaller than a negative average.
    EXPECT_EQ(levelKeyText(levelWithAverages({{{-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}}})), "0.0.0.0.0.0.0.0.0.");
}

TEST(MatrizS, CentreDependsOnlyOnItsNeighbours)
{
    LevelResult level = levelWithAverages({{{1, 2, 3}, {4, 10, 6}, {7, 8, 9}}});
    EXPECT_EQ(level.codes[4], 255);
    level = levelWithAverages({{{1, 2, 3}, {4, 0.5, 6}, {7, 8, 9}}});
    EXPECT_EQ(level.codes[4], 0);
}

TEST(BinarioADecimal, ReadsTheFirstDigitAsMostSignificant)
{
    EXPECT_EQ(binarioADecimal("00000000"), 0);
    EXPECT_EQ(binarioADecimal("11111111"), 255);
    EXPECT_EQ(binarioADecimal("10000000"), 128);
    EXPECT_EQ(binarioADecimal("00000001"), 1);
    EXPECT_EQ(binarioADecimal("11111010"), 250);
    EXPECT_EQ(binarioADecimal(""), 0);
}

} // namespace
} // namespace velsaro
