// How far apart two keys are: the number of their 216 bits (27 codes of 8 neighbour comparisons) that
// differ, and the split of those bits into the segments that near-key searches index.
#pragma once

#include "engine/key_engine.h"

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velsaro::cli {

inline constexpr int keyBitCount = keyCodeCount * 8;

// The 216 bits in four words, code 0 in the lowest byte of the first word, for a distance in four
// population counts.
struct PackedKey {
    std::array<std::uint64_t, 4> words{};
    bool operator==(const PackedKey&) const = default;
};

PackedKey packedKey(const KeyCodes& codes);

inline int keyDistance(const PackedKey& a, const PackedKey& b)
{
    int bits = 0;
    for (std::size_t i = 0; i < a.words.size(); ++i)
        bits += std::popcount(a.words[i] ^ b.words[i]);
    return bits;
}

inline int keyDistance(const KeyCodes& a, const KeyCodes& b)
{
    return keyDistance(packedKey(a), packedKey(b));
}

// The key bits in segmentCount fixed segments of segmentBits bits each, segment s holding bits
// 12s..12s+11 of the key read code by code, each code's most significant bit first.
inline constexpr int segmentBits = 12;
inline constexpr int segmentCount = keyBitCount / segmentBits;
static_assert(segmentCount * segmentBits == keyBitCount);
using KeySegments = std::array<std::uint16_t, segmentCount>;

KeySegments keySegments(const KeyCodes& codes);

// How to find every key within maxDistance bits of a query by looking up segments instead of
// comparing with every key.
struct SearchPlan {
    bool scanEverything = false;
    // Groups of consecutive segments; a key can be within maxDistance only if, in at least one group,
    // every segment is within segmentRadius bits of the query's.
    std::vector<std::vector<int>> groups;
    int segmentRadius = 0;
};

SearchPlan searchPlan(int maxDistance);

// Every value of a segment within radius bits of value (value itself first).
std::vector<std::uint16_t> segmentNeighbours(std::uint16_t value, int radius);

// The distance between every two of some keyed pictures.
struct DistanceMatrix {
    std::vector<std::string> paths;
    std::vector<std::vector<int>> distances; // [row][column], row and column in the order of paths
};

DistanceMatrix distanceMatrix(const std::vector<std::string>& paths, const std::vector<KeyCodes>& codes);

// Largest D accepted by --near: every pair of keys is within 216 bits.
inline constexpr int maxNearDistance = keyBitCount;

} // namespace velsaro::cli
