// Grouping pictures whose keys lie within a number of bits of their group's first picture, and the
// in-memory index of group leaders that keeps the grouping from comparing every pair.
#pragma once

#include "cli/key_distance.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace velsaro::cli {

// Keys added one by one; finds the keys within maxDistance bits of a query without reading them all.
class NearIndex {
public:
    explicit NearIndex(int maxDistance);

    // Adds key as number size() - 1 of the index.
    void add(const PackedKey& key, const KeySegments& segments);
    std::size_t size() const { return keys_.size(); }
    const PackedKey& key(std::uint32_t number) const { return keys_[number]; }

    // The lowest number of a key within maxDistance bits of query, if any.
    std::optional<std::uint32_t> firstWithin(const PackedKey& query, const KeySegments& segments) const;

private:
    std::uint64_t groupValue(const std::vector<int>& group, const KeySegments& segments) const;
    // The bucket values of group g of the plan that a key within reach of these segments may have.
    std::vector<std::uint64_t> lookupValues(std::size_t g, const KeySegments& segments) const;

    int maxDistance_;
    SearchPlan plan_;
    std::vector<PackedKey> keys_;
    // Per group of the plan: the group's segment values (or, with a radius, its one segment) -> keys.
    std::vector<std::unordered_map<std::uint64_t, std::vector<std::uint32_t>>> buckets_;
    mutable std::vector<std::uint32_t> seenAt_; // the query that last measured each key
    mutable std::uint32_t queries_ = 0;
};

struct NearGroup {
    std::string keyText; // the key of the group's first picture
    std::vector<std::string> paths;
    std::vector<int> distances; // of each picture to the first, in the order of paths
};

// A picture joins the first group, in order of creation, whose first picture's key is within
// maxDistance bits of its own; otherwise it starts a new group. With 0 the groups are those of equal
// keys.
class NearGroups {
public:
    explicit NearGroups(int maxDistance) : leaders_(maxDistance) {}

    void add(const KeyCodes& codes, const std::string& path);
    const std::vector<NearGroup>& groups() const { return groups_; }

private:
    NearIndex leaders_;
    std::vector<NearGroup> groups_;
};

} // namespace velsaro::cli
