// Known answers from outside the project: pictures defined by formulas with the key, the P matrices
// and some coefficients an exact implementation gives for them.
#include "engine/key_engine.h"
#include "tests/engine/json_value.h"
#include "tests/engine/synthetic_picture.h"

#include <gtest/gtest.h>

#include <bit>
#include <fstream>
#include <sstream>

namespace velsaro::testing {
namespace {

std::int32_t gradient(int x, int y) { return colourNumber(x % 256, y % 256, (x + y) % 256); }

std::int32_t hashed(int x, int y)
{
    const std::uint32_t v = static_cast<std::uint32_t>(std::uint64_t(x) * 2654435761u + std::uint64_t(y) * 40503u +
                                                       std::uint64_t(x * y) * 97u);
    return colourNumber(v % 256, (v / 256) % 256, (v / 65536) % 256);
}

std::int32_t checker(int x, int y) { return (x / 3 + y / 5) % 2 == 1 ? colourNumber(255, 255, 255) : 0; }

std::int32_t blueRings(int x, int y)
{
    return colourNumber(0, 0, (((x - 215) * (x - 215) + (y - 251) * (y - 251)) / 37) % 256);
}

ColourFormula formulaNamed(const std::string& name)
{
    if (name == "gradient" || name == "partial_gradient")
        return gradient;
    if (name == "hash")
        return hashed;
    if (name == "checker")
        return checker;
    if (name == "blue_rings")
        return blueRings;
    throw std::runtime_error("no formula for reference picture " + name);
}

JsonValue referenceKeys()
{
    std::ifstream file(VELSARO_REFERENCE_KEYS);
    std::stringstream text;
    text << file.rdbuf();
    return JsonReader(text.str()).document();
}

// Bitwise, not within a tolerance: the strings are the shortest text of the exact double.
void expectSameBits(double expected, double actual, const std::string& what)
{
    EXPECT_EQ(std::bit_cast<std::uint64_t>(expected), std::bit_cast<std::uint64_t>(actual))
        << what << ": expected " << expected << ", got " << actual;
}

TEST(ReferenceVectors, EveryPictureGivesItsKeyMatricesAndCoefficientsBitForBit)
{
    const JsonValue pictures = referenceKeys();
    ASSERT_EQ(pictures.items.size(), 5u);
    for (const JsonValue& entry : pictures.items) {
        const std::string name = entry["name"].text;
        const SyntheticPicture picture(int(entry["width"].number()), int(entry["height"].number()),
                                       formulaNamed(name));
        for (KernelWidth width : supportedKernelWidths()) {
            SCOPED_TRACE(name + " at kernel width " + std::to_string(int(width)));
            const Key key = computeKey(picture, {.kernel = width});
            EXPECT_EQ(key.text, entry["key"].text);
            for (int level = 0; level < 3; ++level) {
                const JsonValue& expected = entry["levels"][level];
                const LevelResult& actual = key.levels[level];
                ASSERT_EQ(actual.n, int(expected["N"].number()));
                for (int r = 0; r < 3; ++r)
                    for (int c = 0; c < 3; ++c)
                        expectSameBits(expected["matrizP"][r][c].number(), actual.matrizP[r][c], "matrizP");
                for (int k = 0; k < 9; ++k)
                    EXPECT_EQ(actual.codes[k], int(expected["codes"][k].number()));
                for (int v = 0; v < 4; ++v)
                    expectSameBits(expected["coeficientes_j4_u0_v0to3"][v].number(), actual.coefficient(4, 0, v),
                                   "coefficient (4, 0, " + std::to_string(v) + ")");
            }
        }
    }
}

} // namespace
} // namespace velsaro::testing
