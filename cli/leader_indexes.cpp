#include "cli/leader_indexes.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace velsaro::cli {

namespace {

// The hash's 63 bits are its top ones: five chunks of 13, 13, 13, 12 and 12 bits from bit 1 up.
constexpr std::array<int, 6> chunkStarts = {1, 14, 27, 40, 52, 64};
constexpr std::size_t fewLeaders = 1024;
// Each chunk's value and its values one bit away.
constexpr std::size_t bucketsPerQuery = 63 + chunkStarts.size() - 1;

std::uint64_t chunkOf(std::uint64_t hash, std::size_t chunk)
{
    const int width = chunkStarts[chunk + 1] - chunkStarts[chunk];
    return (hash >> chunkStarts[chunk]) & ((std::uint64_t(1) << width) - 1);
}

int bitOf(const PackedKey& key, int bit)
{
    return int((key.words[std::size_t(bit / 64)] >> (bit % 64)) & 1);
}

} // namespace

std::uint64_t partValue(const PackedKey& key, const PackedKey& part)
{
    std::uint64_t hash = 0;
    for (std::size_t w = 0; w < key.words.size(); ++w) {
        hash ^= (key.words[w] & part.words[w]) + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2);
        hash *= 0xBF58476D1CE4E5B9ull;
    }
    return hash ^ (hash >> 31);
}

std::vector<PackedKey> balancedParts(const std::vector<PackedKey>& keys, int maxDistance)
{
    std::vector<std::pair<double, int>> entropies; // entropy, bit
    for (int bit = 0; bit < keyBitCount; ++bit) {
        std::size_t ones = 0;
        for (const PackedKey& key : keys)
            ones += std::size_t(bitOf(key, bit));
        const double p = keys.empty() ? 0.5 : double(ones) / double(keys.size());
        const double entropy = p <= 0 || p >= 1 ? 0 : -p * std::log2(p) - (1 - p) * std::log2(1 - p);
        entropies.emplace_back(entropy, bit);
    }
    std::sort(entropies.rbegin(), entropies.rend());
    std::vector<PackedKey> parts(std::size_t(maxDistance + 1));
    std::vector<double> partEntropy(parts.size());
    for (const auto& [entropy, bit] : entropies) {
        const auto least = std::size_t(std::min_element(partEntropy.begin(), partEntropy.end()) - partEntropy.begin());
        parts[least].words[std::size_t(bit / 64)] |= std::uint64_t(1) << (bit % 64);
        partEntropy[least] += entropy;
    }
    return parts;
}

HashIndex::HashIndex()
{
    for (std::size_t chunk = 0; chunk < chunks_.size(); ++chunk)
        chunks_[chunk].resize(std::size_t(1) << (chunkStarts[chunk + 1] - chunkStarts[chunk]));
}

void HashIndex::add(std::uint64_t hash)
{
    for (std::size_t chunk = 0; chunk < chunks_.size(); ++chunk)
        chunks_[chunk][chunkOf(hash, chunk)].push_back({std::uint32_t(hashes_.size()), std::uint32_t(hash >> 32)});
    hashes_.push_back(hash);
}

// Both with the CPU's population count where it has one: a grouping counts the bits of some hundred
// hashes a picture.
#if defined(__x86_64__)
__attribute__((target_clones("popcnt", "default")))
#endif
std::size_t HashIndex::firstWithin(std::uint64_t hash, std::size_t from, std::size_t end) const
{
    // A few leaders in a row cost less than the buckets' scattered reads.
    if (end - from <= fewLeaders) {
        for (; from < end; ++from)
            if (std::popcount(hashes_[from] ^ hash) <= hashAloneDistance)
                return from;
        return end;
    }
    // The buckets are fetched all at once before any is read, so that their cache misses overlap.
    std::array<const std::vector<Entry>*, bucketsPerQuery> buckets{};
    std::size_t count = 0;
    for (std::size_t chunk = 0; chunk < chunks_.size(); ++chunk) {
        const std::uint64_t value = chunkOf(hash, chunk);
        buckets[count++] = &chunks_[chunk][value];
        for (int bit = 0; bit < chunkStarts[chunk + 1] - chunkStarts[chunk]; ++bit)
            buckets[count++] = &chunks_[chunk][value ^ (std::uint64_t(1) << bit)];
    }
    for (const std::vector<Entry>* bucket : buckets)
        __builtin_prefetch(bucket->data());
    for (const std::vector<Entry>* bucket : buckets)
        end = firstInBucket(*bucket, hash, from, end);
    return end;
}

#if defined(__x86_64__)
__attribute__((target_clones("popcnt", "default")))
#endif
std::size_t HashIndex::firstInBucket(const std::vector<Entry>& bucket, std::uint64_t hash, std::size_t from,
                                     std::size_t end) const
{
    auto entry = bucket.begin();
    if (from > 0)
        entry = std::lower_bound(bucket.begin(), bucket.end(), from,
                                 [](const Entry& e, std::size_t number) { return e.number < number; });
    const auto topHalf = std::uint32_t(hash >> 32);
    for (; entry != bucket.end() && entry->number < end; ++entry)
        if (std::popcount(entry->topHalf ^ topHalf) <= hashAloneDistance &&
            std::popcount(hashes_[entry->number] ^ hash) <= hashAloneDistance)
            return entry->number;
    return end;
}

KeyPartsIndex::KeyPartsIndex(const std::vector<PackedKey>& keys, int maxDistance)
    : parts_(balancedParts(keys, maxDistance)), byPart_(parts_.size())
{
}

void KeyPartsIndex::add(const PackedKey& key)
{
    for (std::size_t p = 0; p < parts_.size(); ++p)
        byPart_[p][partValue(key, parts_[p])].push_back(count_);
    ++count_;
}

std::size_t KeyPartsIndex::listsSharing(const PackedKey& key, Lists& lists) const
{
    std::size_t leaders = 0;
    for (std::size_t p = 0; p < parts_.size(); ++p) {
        const auto bucket = byPart_[p].find(partValue(key, parts_[p]));
        lists[p] = bucket == byPart_[p].end() ? nullptr : &bucket->second;
        leaders += lists[p] ? lists[p]->size() : 0;
    }
    return leaders;
}

} // namespace velsaro::cli
