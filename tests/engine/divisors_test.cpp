#include "engine/key_engine.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velsaro {
namespace {

TEST(CalculaDivisores, FourByFourTable)
{
    const std::vector<std::int32_t> expected = {
        1, 1, 2, 4, //
        1, 1, 2, 4, //
        2, 2, 2, 4, //
        4, 4, 4, 4, //
    };
    EXPECT_EQ(calculaDivisores(4), expected);
}

TEST(CalculaDivisores, MatchesTwoToTheLargerIndexLessOneAtEverySize)
{
    for (int n : levelMaskSizes) {
        const std::vector<std::int32_t> divisores = calculaDivisores(n);
        ASSERT_EQ(divisores.size(), std::size_t(n * n));
        for (int u = 0; u < n; ++u)
            for (int v = 0; v < n; ++v) {
                const std::int32_t expected = (u == 0 && v == 0) ? 1 : 1 << (std::max(u, v) - 1);
                EXPECT_EQ(divisores[u * n + v], expected) << "N " << n << " (" << u << ", " << v << ")";
            }
    }
}

TEST(CalculaDivisores, LargestEntriesAreAtTheLastRowAndColumn)
{
    const std::vector<std::int32_t> d = calculaDivisores(16);
    EXPECT_EQ(d[0], 1);
    EXPECT_EQ(d[1], 1);
    EXPECT_EQ(d[16], 1);
    EXPECT_EQ(d[17], 1);
    EXPECT_EQ(d[15 * 16 + 0], 16384);
    EXPECT_EQ(d[0 * 16 + 15], 16384);
    EXPECT_EQ(*std::max_element(d.begin(), d.end()), 16384);
    const std::vector<std::int32_t> d8 = calculaDivisores(8);
    EXPECT_EQ(*std::max_element(d8.begin(), d8.end()), 64);
}

} // namespace
} // namespace velsaro
