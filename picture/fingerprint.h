// A fingerprint of what a key read, to confirm that two pictures within some key distance are copies:
// a 63-bit sign hash of the low frequencies of its 32 x 32 grey, and its 16 x 16 grey levels with mean
// and contrast removed. Exact integer arithmetic but for one correctly rounded division per grey level.
#pragma once

#include <QImage>

#include <array>
#include <bit>
#include <cstdint>

namespace velsaro {

struct Fingerprint {
    // Bit k (k = 0..62, from the most significant) set when the (k+1)-th low-frequency coefficient,
    // in the order 8u + v without (0, 0), lies above their median; the last bit 0.
    std::uint64_t hash = 0;
    // The 16 x 16 cells' grey, row by row, minus their mean, over their spread, times 32.
    std::array<std::int8_t, 256> grey{};

    friend bool operator==(const Fingerprint&, const Fingerprint&) = default;
};

// Of an opaque picture (what the drawing area shows of it, or the fitted picture).
Fingerprint fingerprintOf(const QImage& picture);

inline int hashDistance(const Fingerprint& a, const Fingerprint& b)
{
    return std::popcount(a.hash ^ b.hash);
}

// Whether the Pearson correlation of the two grey fingerprints is at least hundredths / 100, decided
// in exact integers; two flat ones correlate 1, a flat and another 0.
bool greyCorrelatesAtLeast(const Fingerprint& a, const Fingerprint& b, int hundredths);
// The same correlation, to show.
double greyCorrelation(const Fingerprint& a, const Fingerprint& b);

} // namespace velsaro
