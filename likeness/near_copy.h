// Whether two keyed pictures are near copies: their keys' distance and the fingerprints of what the
// keys read. Plain C++, so that the catalogue (without Qt) and the tool decide by one rule.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace velsaro {

// Beyond these hash distances no pair is confirmed; within the first the hash alone confirms it.
inline constexpr int hashAloneDistance = 8;
inline constexpr int hashWithGreyDistance = 16;
inline constexpr int smoothHashDistance = 28;

inline constexpr int greyCells = 256;

struct Fingerprint {
    // Bit k (k = 0..62, from the most significant) set when the (k+1)-th low-frequency coefficient,
    // in the order 8u + v without (0, 0), lies above their median; the last bit 0.
    std::uint64_t hash = 0;
    // The 16 x 16 cells' grey, row by row, minus their mean, over their spread, times 32.
    std::array<std::int8_t, greyCells> grey{};

    friend bool operator==(const Fingerprint&, const Fingerprint&) = default;
};

inline int hashDistance(const Fingerprint& a, const Fingerprint& b)
{
    return std::popcount(a.hash ^ b.hash);
}

// Whether the Pearson correlation of the two grey fingerprints is at least hundredths / 100, decided
// in exact integers; two flat ones correlate 1, a flat and another 0.
bool greyCorrelatesAtLeast(const Fingerprint& a, const Fingerprint& b, int hundredths);
// The same correlation, to show.
double greyCorrelation(const Fingerprint& a, const Fingerprint& b);

// A sketch of a fingerprint's grey levels: their deviations from their mean over their spread, summed
// over each of 4 x 4 blocks of 4 x 4 cells, over 4, times 127 and rounded. That is their projection on
// 16 orthonormal vectors, which never lengthens a difference, so two sketches further apart than a
// correlation allows rule the pair out without the grey levels themselves.
using GreySketch = std::array<std::int8_t, 16>;
GreySketch greySketchOf(const Fingerprint& fingerprint);
// Whether grey levels with these sketches may correlate at least hundredths / 100 (never false when
// they do: the sketches' rounding is allowed for).
bool sketchesAllow(const GreySketch& a, const GreySketch& b, int hundredths);
// Whether a picture whose hash lies hashes bits from another's, and whose grey sketch is sketch, may be
// a near copy of it by its key (isNearCopy with the key within D).
bool mayConfirmByKey(int hashes, const GreySketch& a, const GreySketch& b);

// Whether two pictures are near copies: their hashes within 8 bits, or their keys within maxDistance
// and either the hashes within 16 bits and the grey correlation at least 0.90, or the hashes within
// 28 bits and the grey correlation at least 0.99 (smooth pictures, whose hash is unstable).
bool isNearCopy(int keyDistance, const Fingerprint& a, const Fingerprint& b, int maxDistance);

} // namespace velsaro
