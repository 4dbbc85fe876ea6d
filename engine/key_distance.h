// How far apart two keys are: the number of their 216 bits (27 codes of eight neighbour comparisons)
// that differ, for one pair of keys and, through a vector scan, for many keys against some queries.
#pragma once

#include "engine/key_engine.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace velsaro {

inline constexpr int keyBitCount = keyCodeCount * 8;

// The 216 bits in four words: code i in byte i % 8 of word i / 8; the last word's top five bytes are 0.
struct PackedKey {
    std::array<std::uint64_t, 4> words{};
    bool operator==(const PackedKey&) const = default;
};

PackedKey packedKey(const KeyCodes& codes);
KeyCodes codesOfPackedKey(const PackedKey& key);

// Through the scan's build for this CPU: x86-64 has no population count instruction in common to
// every CPU, and the library's count is many times slower where the CPU has one.
int keyDistance(const PackedKey& a, const PackedKey& b);

// Eight keys side by side, word by word, as the vector scans read them: word w of the key in slot k
// at words[w][k], so that one register holds the same word of several keys.
inline constexpr std::size_t keysPerBlock = 8;
struct KeyBlock {
    alignas(64) std::array<std::array<std::uint64_t, keysPerBlock>, 4> words{};

    void place(std::size_t slot, const PackedKey& key);
    PackedKey key(std::size_t slot) const;
};

// Key number n of a run of blocks stands in slot n % keysPerBlock of block n / keysPerBlock.
struct KeyHit {
    std::uint32_t query = 0;
    std::uint32_t key = 0;
    std::uint32_t distance = 0;
    bool operator==(const KeyHit&) const = default;
};

// The scan's builds: every one finds the same keys; Best is the fastest this CPU runs. Portable runs on
// every CPU; Avx2 and Avx512 (with its population count instruction) exist on x86-64 only.
enum class ScanKernel { Best, Portable, Avx2, Avx512 };
std::vector<ScanKernel> supportedScanKernels();

// Every pair of a query and one of the first keyCount keys of blocks within maxDistance bits, in no
// set order; returns how many it wrote to hits, which must have room for keyCount x queries.size().
// Each block is read once for all the queries.
std::size_t keysWithin(const KeyBlock* blocks, std::size_t keyCount, std::span<const PackedKey> queries,
                       int maxDistance, KeyHit* hits, ScanKernel kernel = ScanKernel::Best);

// The number of the first of the first keyCount keys of blocks within maxDistance bits of query.
std::optional<std::size_t> firstKeyWithin(const KeyBlock* blocks, std::size_t keyCount, const PackedKey& query,
                                          int maxDistance, ScanKernel kernel = ScanKernel::Best);

} // namespace velsaro
