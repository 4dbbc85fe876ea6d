// The key scan for AVX2 CPUs: four keys per register, each byte's bits counted by a table lookup.
#include <immintrin.h>

#include <cstdint>

namespace {

// The number of bits set in each byte, by looking up each half-byte in a table of 16 counts.
inline __m256i byteCounts(__m256i v)
{
    const __m256i table = _mm256_setr_epi8(0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4,
                                           0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4);
    const __m256i low = _mm256_set1_epi8(0x0f);
    return _mm256_add_epi8(_mm256_shuffle_epi8(table, _mm256_and_si256(v, low)),
                           _mm256_shuffle_epi8(table, _mm256_and_si256(_mm256_srli_epi16(v, 4), low)));
}

// Distances of four keys (slots half * 4 .. half * 4 + 3): the byte counts of the four words, at most
// 32 per byte, then summed per key.
inline __m256i halfDistances(const std::uint64_t* block, const std::uint64_t* query, int half)
{
    __m256i counts = _mm256_setzero_si256();
    for (int w = 0; w < 4; ++w) {
        const __m256i keys = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 8 * w + 4 * half));
        counts = _mm256_add_epi8(counts, byteCounts(_mm256_xor_si256(keys, _mm256_set1_epi64x(std::int64_t(query[w])))));
    }
    return _mm256_sad_epu8(counts, _mm256_setzero_si256());
}

inline unsigned blockWithin(const std::uint64_t* block, const std::uint64_t* query, int maxDistance,
                            std::uint32_t* distances)
{
    const __m256i limit = _mm256_set1_epi64x(maxDistance);
    const __m256i low = halfDistances(block, query, 0);
    const __m256i high = halfDistances(block, query, 1);
    const unsigned beyond = unsigned(_mm256_movemask_pd(_mm256_castsi256_pd(_mm256_cmpgt_epi64(low, limit)))) |
                            unsigned(_mm256_movemask_pd(_mm256_castsi256_pd(_mm256_cmpgt_epi64(high, limit)))) << 4;
    const unsigned mask = ~beyond & 0xffu;
    if (mask != 0) {
        alignas(32) std::uint64_t wide[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(wide), low);
        _mm256_store_si256(reinterpret_cast<__m256i*>(wide + 4), high);
        for (int k = 0; k < 8; ++k)
            distances[k] = std::uint32_t(wide[k]);
    }
    return mask;
}

} // namespace

#define VELSARO_SCAN_TARGET avx2
#include "engine/key_scan_kernel.inc"
