#include "engine/key_engine.h"
#include "tests/engine/synthetic_picture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velsaro::testing {
namespace {

const std::string flatKey = "244.224.233.148.0.41.151.7.47.244.224.233.148.0.41.151.7.47."
                            "244.224.233.148.0.41.151.7.47.";

std::string repeated(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

TEST(KeyOfFlatPictures, OneNonBlackColourCoveringEveryMaskGivesTheFlatKey)
{
    EXPECT_EQ(computeKey(flatPicture(430, 503, colourNumber(10, 200, 30))).text, flatKey);
    EXPECT_EQ(computeKey(flatPicture(332, 389, colourNumber(255, 255, 255))).text, flatKey);
}

TEST(KeyOfFlatPictures, BlackPictureGivesTwentySevenZeros)
{
    EXPECT_EQ(computeKey(flatPicture(430, 503, 0)).text, repeated("0.", 27));
}

TEST(KeyOfFlatPictures, PictureSmallerThanTheFirstMasksLeavesOnlyTheBackground)
{
    // Black, but narrower than 100 or lower than 119 pixels: every mask reads the grey background.
    EXPECT_EQ(computeKey(flatPicture(99, 503, 0)).text, flatKey);
    EXPECT_EQ(computeKey(flatPicture(430, 118, 0)).text, flatKey);
    EXPECT_EQ(computeKey(flatPicture(0, 0, 0)).text, flatKey);
}

TEST(KeyOfFlatPictures, BlackPictureJustReachingTheLastMaskIsAllBlack)
{
    EXPECT_EQ(computeKey(flatPicture(332, 389, 0)).text, repeated("0.", 27));
    // One pixel short on the right: the last column of the level-3 masks of column 2 is grey.
    EXPECT_NE(computeKey(flatPicture(331, 389, 0)).text, repeated("0.", 27));
}

TEST(KeyText, HasTwentySevenCodesEachFollowedByAPoint)
{
    const SyntheticPicture noise(430, 503, [](int x, int y) { return (x * 7919 + y * 104729) % 16777216; });
    const Key key = computeKey(noise);
    EXPECT_EQ(std::count(key.text.begin(), key.text.end(), '.'), 27);
    EXPECT_EQ(key.text.back(), '.');
    std::string fromCodes;
    for (int code : key.codes()) {
        EXPECT_GE(code, 0);
        EXPECT_LE(code, 255);
        fromCodes += std::to_string(code) + ".";
    }
    EXPECT_EQ(fromCodes, key.text);
}

TEST(FlatMaskCoefficients, ConstantThousandOnFourByFour)
{
    const LevelResult level = computeLevel(4, flatPicture(430, 503, 1000));
    EXPECT_EQ(level.coefficient(0, 0, 0), 4000.0);
    EXPECT_NEAR(level.coefficient(0, 1, 0), 0.0012, 0.00005);
    EXPECT_GT(std::abs(level.coefficient(0, 1, 0)), 0.0); // pi' is not pi: not exactly zero
}

TEST(FlatMaskCoefficients, ConstantWhiteOnFourByFour)
{
    const LevelResult level = computeLevel(4, flatPicture(430, 503, 16777215));
    for (int j = 0; j < 9; ++j) {
        EXPECT_EQ(level.coefficient(j, 0, 0), 67108860.0);
        EXPECT_NEAR(level.coefficient(j, 1, 0), 20.26, 0.005);
        EXPECT_NEAR(level.matrizP[j / 3][j % 3], 4194305.70, 0.005);
    }
}

TEST(FlatMaskCoefficients, MaskOutsideThePictureTransformsTheBackground)
{
    const LevelResult onGrey = computeLevel(8, flatPicture(50, 50, 0));
    const LevelResult grey = computeLevel(8, flatPicture(430, 503, backgroundColour));
    EXPECT_EQ(onGrey.coeficientes, grey.coeficientes);
    EXPECT_DOUBLE_EQ(onGrey.coefficient(3, 0, 0), 8.0 * backgroundColour);
}

TEST(PictureArea, OnlyTheCutPartOfALargerPictureIsRead)
{
    const ColourFormula pattern = [](int x, int y) { return (x * 31 + y * 17) % 16777216; };
    const SyntheticPicture large(2000, 1500, pattern);
    const SyntheticPicture cut(430, 503, pattern);
    EXPECT_EQ(computeKey(large).text, computeKey(cut).text);

    int outsideReads = 0;
    computeKey([&](int x, int y) {
        outsideReads += (x < 0 || y < 0 || x >= drawingAreaWidth || y >= drawingAreaHeight);
        return large(x, y);
    });
    EXPECT_EQ(outsideReads, 0);
}

TEST(LevelResult, HoldsTheDataOfItsLevel)
{
    const SyntheticPicture noise(430, 503, [](int x, int y) { return (x * x * 13 + y * 7) % 16777216; });
    const LevelResult level = computeLevel(16, noise);
    EXPECT_EQ(level.n, 16);
    EXPECT_EQ(level.divisores, calculaDivisores(16));
    EXPECT_EQ(level.coeficientes.size(), 9u * 16 * 16);
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(level.matrizS[k][4], -1);
    // Each average is the mean of its mask's 256 divided coefficients.
    double acc = 0;
    for (int u = 0; u < 16; ++u)
        for (int v = 0; v < 16; ++v)
            acc = acc + level.coefficient(5, u, v);
    EXPECT_EQ(level.matrizP[1][2], acc / 256);
}

TEST(LevelResult, MaskStartingIsCalledForEachMaskBeforeItsPixelsAreRead)
{
    const SyntheticPicture grey = flatPicture(430, 503, backgroundColour);
    std::vector<std::string> events;
    EngineOptions options;
    options.maskStarting = [&](int j) { events.push_back("start " + std::to_string(j)); };
    computeLevel(4, [&](int x, int y) {
        if (events.empty() || events.back().rfind("start", 0) == 0)
            events.push_back("read");
        return grey(x, y);
    }, options);
    ASSERT_EQ(events.size(), 18u);
    for (int j = 0; j < 9; ++j) {
        EXPECT_EQ(events[2 * j], "start " + std::to_string(j));
        EXPECT_EQ(events[2 * j + 1], "read");
    }
}

TEST(LevelResult, OtherMaskSizesAreRefused)
{
    EXPECT_THROW(computeLevel(5, flatPicture(1, 1, 0)), std::invalid_argument);
}

} // namespace
} // namespace velsaro::testing
