#include "engine/key_distance.h"

#include "engine/key_scan.h"

namespace velsaro {

PackedKey packedKey(const KeyCodes& codes)
{
    PackedKey packed;
    for (std::size_t i = 0; i < codes.size(); ++i)
        packed.words[i / 8] |= std::uint64_t(codes[i]) << (8 * (i % 8));
    return packed;
}

KeyCodes codesOfPackedKey(const PackedKey& key)
{
    KeyCodes codes{};
    for (std::size_t i = 0; i < codes.size(); ++i)
        codes[i] = std::uint8_t(key.words[i / 8] >> (8 * (i % 8)));
    return codes;
}

int keyDistance(const PackedKey& a, const PackedKey& b)
{
    static const detail::PairDistance* const distance = detail::scanKernel(ScanKernel::Best).distance;
    return int(distance(a.words.data(), b.words.data()));
}

void KeyBlock::place(std::size_t slot, const PackedKey& key)
{
    for (std::size_t w = 0; w < words.size(); ++w)
        words[w][slot] = key.words[w];
}

PackedKey KeyBlock::key(std::size_t slot) const
{
    PackedKey key;
    for (std::size_t w = 0; w < words.size(); ++w)
        key.words[w] = words[w][slot];
    return key;
}

std::size_t keysWithin(const KeyBlock* blocks, std::size_t keyCount, std::span<const PackedKey> queries,
                       int maxDistance, KeyHit* hits, ScanKernel kernel)
{
    static_assert(sizeof(KeyBlock) == 4 * keysPerBlock * sizeof(std::uint64_t) && sizeof(KeyHit) == 12);
    if (keyCount == 0 || queries.empty())
        return 0;
    return detail::scanKernel(kernel).keysWithin(blocks[0].words[0].data(), keyCount, queries.data()->words.data(),
                                                 queries.size(), maxDistance, &hits->query);
}

std::optional<std::size_t> firstKeyWithin(const KeyBlock* blocks, std::size_t keyCount, const PackedKey& query,
                                          int maxDistance, ScanKernel kernel)
{
    if (keyCount == 0)
        return std::nullopt;
    const std::size_t first =
        detail::scanKernel(kernel).firstKeyWithin(blocks[0].words[0].data(), keyCount, query.words.data(), maxDistance);
    if (first == keyCount)
        return std::nullopt;
    return first;
}

} // namespace velsaro
