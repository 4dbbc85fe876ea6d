// Key distances, one pair at a time and through every build of the vector scan.
#include "engine/key_distance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <optional>
#include <random>

namespace velsaro {
namespace {

KeyCodes allCodes(std::uint8_t code)
{
    KeyCodes codes;
    codes.fill(code);
    return codes;
}

TEST(KeyDistance, CountsTheDifferingBitsOfKnownKeys)
{
    // One colour over the mesh against a black picture: the codes 244.224.233.148.0.41.151.7.47. of
    // each level hold 5+3+5+3+0+3+5+3+5 = 32 ones against all zeros.
    KeyCodes flat{};
    const std::array<std::uint8_t, 9> level = {244, 224, 233, 148, 0, 41, 151, 7, 47};
    for (std::size_t i = 0; i < flat.size(); ++i)
        flat[i] = level[i % 9];
    KeyCodes oneBit = flat;
    oneBit[26] ^= 0x80;

    const auto distance = [](const KeyCodes& a, const KeyCodes& b) { return keyDistance(packedKey(a), packedKey(b)); };
    EXPECT_EQ(distance(flat, flat), 0);
    EXPECT_EQ(distance(flat, allCodes(0)), 3 * 32);
    EXPECT_EQ(distance(flat, oneBit), 1);
    EXPECT_EQ(distance(allCodes(0), allCodes(255)), 216);
    EXPECT_EQ(distance(allCodes(1), allCodes(3)), 27);
    EXPECT_EQ(codesOfPackedKey(packedKey(flat)), flat);
}

// Keys around a few centres at every distance from 0 to 216, and the queries at those centres.
struct ScanCase {
    std::vector<PackedKey> keys;
    std::vector<PackedKey> queries;
};

ScanCase scanCase(std::size_t keyCount, unsigned seed)
{
    std::mt19937 random(seed);
    ScanCase scan;
    for (int q = 0; q < 3; ++q) {
        KeyCodes centre;
        for (std::uint8_t& code : centre)
            code = std::uint8_t(random());
        scan.queries.push_back(packedKey(centre));
    }
    for (std::size_t k = 0; k < keyCount; ++k) {
        KeyCodes key = codesOfPackedKey(scan.queries[k % 3]);
        std::vector<int> bits(216);
        std::iota(bits.begin(), bits.end(), 0);
        std::shuffle(bits.begin(), bits.end(), random);
        for (std::size_t b = 0; b < (k * 7) % 217; ++b)
            key[std::size_t(bits[b] / 8)] ^= std::uint8_t(1 << (bits[b] % 8));
        scan.keys.push_back(packedKey(key));
    }
    return scan;
}

std::vector<KeyBlock> blocksOf(const std::vector<PackedKey>& keys)
{
    std::vector<KeyBlock> blocks((keys.size() + keysPerBlock - 1) / keysPerBlock);
    for (std::size_t k = 0; k < keys.size(); ++k)
        blocks[k / keysPerBlock].place(k % keysPerBlock, keys[k]);
    return blocks;
}

TEST(KeyScan, EveryBuildFindsExactlyTheKeysWithinTheDistanceAndTheFirstOfThem)
{
    for (std::size_t keyCount : {0u, 1u, 7u, 8u, 9u, 63u, 650u}) {
        const ScanCase scan = scanCase(keyCount, unsigned(keyCount));
        // Slots past keyCount hold the queries themselves, which must not count.
        std::vector<PackedKey> slots = scan.keys;
        slots.resize((keyCount / keysPerBlock + 1) * keysPerBlock, scan.queries[0]);
        const std::vector<KeyBlock> blocks = blocksOf(slots);
        for (int distance : {0, 1, 8, 60, 107, 108, 215, 216}) {
            std::vector<KeyHit> expected;
            for (std::size_t k = 0; k < keyCount; ++k)
                for (std::size_t q = 0; q < scan.queries.size(); ++q)
                    if (const int d = keyDistance(scan.keys[k], scan.queries[q]); d <= distance)
                        expected.push_back({std::uint32_t(q), std::uint32_t(k), std::uint32_t(d)});
            for (ScanKernel kernel : supportedScanKernels()) {
                std::vector<KeyHit> hits(keyCount * scan.queries.size());
                hits.resize(keysWithin(blocks.data(), keyCount, scan.queries, distance, hits.data(), kernel));
                std::sort(hits.begin(), hits.end(), [](const KeyHit& a, const KeyHit& b) {
                    return std::pair(a.key, a.query) < std::pair(b.key, b.query);
                });
                EXPECT_EQ(hits, expected) << keyCount << " keys, D = " << distance << ", build " << int(kernel);
                for (std::size_t q = 0; q < scan.queries.size(); ++q) {
                    const auto first = std::find_if(expected.begin(), expected.end(), [&](const KeyHit& hit) { return hit.query == q; });
                    const std::optional<std::size_t> found =
                        firstKeyWithin(blocks.data(), keyCount, scan.queries[q], distance, kernel);
                    EXPECT_EQ(found, first == expected.end() ? std::nullopt : std::optional<std::size_t>(first->key))
                        << keyCount << " keys, D = " << distance << ", build " << int(kernel);
                }
            }
        }
    }
}

} // namespace
} // namespace velsaro
