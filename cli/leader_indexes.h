// Indexes of the groups' first pictures ("leaders", numbered in order of creation) for the near-copy
// grouping: each finds, among the leaders numbered [from, end), the first that one clause of the
// near-copy rule can accept, while looking at only a few of them.
#pragma once

#include "engine/key_distance.h"
#include "likeness/near_copy.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace velsaro::cli {

// Beyond this distance the parts of the keys would be too small to tell keys apart.
inline constexpr int largestIndexedDistance = 23;

// maxDistance + 1 parts of the key's bits, each carrying about the same entropy over these keys: a key
// within maxDistance of another equals it in at least one part, and parts of equal entropy keep the
// keys that share a part's value few.
std::vector<PackedKey> balancedParts(const std::vector<PackedKey>& keys, int maxDistance);

// The bits of key that part (a mask) holds, hashed to one word.
std::uint64_t partValue(const PackedKey& key, const PackedKey& part);

// The leaders' hashes by five chunks of their 63 bits: two hashes within 8 bits differ in at most one
// bit of some chunk (two in each of five would make ten), so only the buckets of the chunk values at
// most one bit from the query's need be read. Buckets hold the leaders' numbers, in order, each with
// its hash's top half, which turns most of them away without reading the whole hash elsewhere.
class HashIndex {
public:
    HashIndex();
    void add(std::uint64_t hash);
    std::uint64_t hash(std::size_t leader) const { return hashes_[leader]; }
    // The first leader of [from, end) whose hash is within 8 bits of hash; end if none.
    std::size_t firstWithin(std::uint64_t hash, std::size_t from, std::size_t end) const;

private:
    struct Entry {
        std::uint32_t number;
        std::uint32_t topHalf;
    };
    using Buckets = std::vector<std::vector<Entry>>;
    std::size_t firstInBucket(const std::vector<Entry>& bucket, std::uint64_t hash, std::size_t from,
                              std::size_t end) const;

    std::array<Buckets, 5> chunks_;
    std::vector<std::uint64_t> hashes_;
};

// The leaders' keys by the values of their balanced parts, for distances up to largestIndexedDistance:
// a key within the distance of a leader's equals it in some part.
class KeyPartsIndex {
public:
    KeyPartsIndex(const std::vector<PackedKey>& keys, int maxDistance);
    void add(const PackedKey& key);
    // The lists of leaders, in order, that share a part with key; null where none does.
    using Lists = std::array<const std::vector<std::uint32_t>*, largestIndexedDistance + 1>;
    std::size_t listsSharing(const PackedKey& key, Lists& lists) const; // returns how many leaders they hold

    // The first leader of [from, end) in lists that accept takes; end if none.
    template <typename Accept>
    std::size_t firstAccepted(const Lists& lists, std::size_t from, std::size_t end, const Accept& accept) const
    {
        for (std::size_t p = 0; p < parts_.size(); ++p)
            end = firstInList(lists[p], from, end, accept);
        return end;
    }

private:
    // Each list holds leaders in order: its first accepted below end is the best so far.
    template <typename Accept>
    static std::size_t firstInList(const std::vector<std::uint32_t>* list, std::size_t from, std::size_t end,
                                   const Accept& accept)
    {
        if (!list)
            return end;
        auto number = std::lower_bound(list->begin(), list->end(), std::uint32_t(from));
        for (; number != list->end() && *number < end; ++number)
            if (accept(std::size_t(*number)))
                return *number;
        return end;
    }

    std::vector<PackedKey> parts_; // each a mask of the bits it holds
    std::vector<std::unordered_map<std::uint64_t, std::vector<std::uint32_t>>> byPart_;
    std::uint32_t count_ = 0;
};

} // namespace velsaro::cli
