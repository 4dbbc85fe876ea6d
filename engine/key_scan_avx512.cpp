// The key scan for AVX-512 CPUs with the vector population count: a block's eight keys in one register
// per word.
#include <immintrin.h>

#include <cstdint>

namespace {

inline unsigned blockWithin(const std::uint64_t* block, const std::uint64_t* query, int maxDistance,
                            std::uint32_t* distances)
{
    __m512i sums = _mm512_setzero_si512();
    for (int w = 0; w < 4; ++w) {
        const __m512i keys = _mm512_loadu_si512(block + 8 * w);
        sums = _mm512_add_epi64(sums, _mm512_popcnt_epi64(_mm512_xor_si512(keys, _mm512_set1_epi64(std::int64_t(query[w])))));
    }
    const unsigned mask = _mm512_cmple_epu64_mask(sums, _mm512_set1_epi64(maxDistance));
    if (mask != 0)
        _mm512_mask_cvtepi64_storeu_epi32(distances, 0xff, sums);
    return mask;
}

} // namespace

#define VELSARO_SCAN_TARGET avx512
#include "engine/key_scan_kernel.inc"
