// The key scan for every CPU: one key at a time, a population count per word.
#include <cstdint>

namespace {

inline unsigned blockWithin(const std::uint64_t* block, const std::uint64_t* query, int maxDistance,
                            std::uint32_t* distances)
{
    unsigned mask = 0;
    for (unsigned k = 0; k < 8; ++k) {
        unsigned distance = 0;
        for (unsigned w = 0; w < 4; ++w)
            distance += unsigned(__builtin_popcountll(block[8 * w + k] ^ query[w]));
        distances[k] = distance;
        mask |= unsigned(distance <= unsigned(maxDistance)) << k;
    }
    return mask;
}

} // namespace

#define VELSARO_SCAN_TARGET portable
#include "engine/key_scan_kernel.inc"
