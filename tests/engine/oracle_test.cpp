// The fast engine against the literal evaluation, bit for bit, at every kernel width this CPU runs.
#include "engine/key_engine.h"
#include "tests/engine/literal_key.h"
#include "tests/engine/synthetic_picture.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>

namespace velsaro::testing {
namespace {

std::vector<std::uint64_t> bitsOf(const std::vector<double>& values)
{
    std::vector<std::uint64_t> bits;
    for (double v : values)
        bits.push_back(std::bit_cast<std::uint64_t>(v));
    return bits;
}

void expectIdenticalLevels(const LevelResult& expected, const LevelResult& actual)
{
    EXPECT_EQ(actual.divisores, expected.divisores);
    EXPECT_EQ(bitsOf(actual.coeficientes), bitsOf(expected.coeficientes));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(std::bit_cast<std::uint64_t>(actual.matrizP[r][c]),
                      std::bit_cast<std::uint64_t>(expected.matrizP[r][c]));
    EXPECT_EQ(actual.matrizS, expected.matrizS);
    EXPECT_EQ(actual.codes, expected.codes);
}

struct RandomPicture {
    std::string kind;
    SyntheticPicture picture;
};

// Pictures that stress the sums: noise over the whole colour range, extreme colours, flat and
// near-flat areas (where the coefficients other than (0, 0) are tiny and rounding shows), and sizes
// that leave some masks on the background.
std::vector<RandomPicture> randomPictures()
{
    std::mt19937 random(20261208);
    auto colour = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    std::vector<RandomPicture> pictures;
    for (int i = 0; i < 4; ++i) {
        const unsigned seed = random();
        pictures.push_back({"noise", SyntheticPicture(430, 503, [seed](int x, int y) {
                                return std::int32_t(std::minstd_rand(seed + x * 503u + y)() % 16777216);
                            })});
    }
    pictures.push_back({"extremes", SyntheticPicture(430, 503, [](int x, int y) {
                            return ((x ^ y) & 1) ? 16777215 : 0;
                        })});
    for (int i = 0; i < 3; ++i) {
        const int base = colour(0, 16777215);
        pictures.push_back({"flat", flatPicture(430, 503, base)});
        pictures.push_back({"near-flat", SyntheticPicture(430, 503, [base](int x, int y) {
                                return std::clamp(base + ((x * 3 + y) % 3) - 1, 0, 16777215);
                            })});
    }
    pictures.push_back({"white", flatPicture(430, 503, 16777215)});
    pictures.push_back({"one bright pixel", SyntheticPicture(430, 503, [](int x, int y) {
                            return (x == 215 && y == 253) ? 16777215 : 1;
                        })});
    pictures.push_back({"partial", SyntheticPicture(colour(100, 330), colour(119, 388), [](int x, int y) {
                            return colourNumber(x % 256, 255 - y % 256, 128);
                        })});
    return pictures;
}

TEST(FastEngineAgainstOracle, EveryLevelBitwiseEqualAtEveryKernelWidth)
{
    for (const RandomPicture& sample : randomPictures()) {
        const Key expected = literalKey(sample.picture);
        for (KernelWidth width : supportedKernelWidths()) {
            SCOPED_TRACE(sample.kind + " at kernel width " + std::to_string(int(width)));
            const Key actual = computeKey(sample.picture, {.kernel = width});
            EXPECT_EQ(actual.text, expected.text);
            for (int level = 0; level < 3; ++level)
                expectIdenticalLevels(expected.levels[level], actual.levels[level]);
        }
    }
}

TEST(FastEngineAgainstOracle, OneLevelAloneEqualsTheLiteralLevel)
{
    // A walkthrough computes one level at a time, reading its own masks.
    const SyntheticPicture noise(430, 503, [](int x, int y) { return (x * 7 + y * 40503) % 16777216; });
    for (int n : levelMaskSizes)
        for (KernelWidth width : supportedKernelWidths()) {
            SCOPED_TRACE("N " + std::to_string(n) + " at kernel width " + std::to_string(int(width)));
            expectIdenticalLevels(literalLevel(n, noise), computeLevel(n, noise, {.kernel = width}));
        }
}

TEST(FastEngineAgainstOracle, OtherAreaSizesGiveTheSameMesh)
{
    const SyntheticPicture noise(430, 503, [](int x, int y) { return (x * 977 + y * y * 31) % 16777216; });
    for (auto [width, height] : {std::pair{300.0, 400.0}, {438.0, 510.0}, {200.0, 200.0}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const Key expected = literalKey(noise, width, height);
        const Key actual = computeKey(noise, {.width = width, .height = height});
        EXPECT_EQ(actual.text, expected.text);
        for (int level = 0; level < 3; ++level)
            expectIdenticalLevels(expected.levels[level], actual.levels[level]);
    }
}

TEST(KernelWidths, TwoWideIsAlwaysAvailable)
{
    const std::vector<KernelWidth> widths = supportedKernelWidths();
    ASSERT_FALSE(widths.empty());
    EXPECT_EQ(widths.front(), KernelWidth::Two);
}

} // namespace
} // namespace velsaro::testing
