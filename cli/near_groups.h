// Grouping pictures whose keys lie within a number of bits of their group's first picture, and the
// table of distances between pictures.
#pragma once

#include "engine/key_distance.h"

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace velsaro::cli {

struct NearGroup {
    std::string keyText; // the key of the group's first picture
    std::vector<std::string> paths;
    std::vector<int> distances; // of each picture to the first, in the order of paths
};

// The distance between every two of some keyed pictures.
struct DistanceMatrix {
    std::vector<std::string> paths;
    std::vector<std::vector<int>> distances; // [row][column], row and column in the order of paths
};

DistanceMatrix distanceMatrix(const std::vector<std::string>& paths, const std::vector<KeyCodes>& codes);

// A picture joins the first group, in order of creation, whose first picture's key is within
// maxDistance bits of its own; otherwise it starts a new group. With 0 the groups are those of equal
// keys.
class NearGroups {
public:
    explicit NearGroups(int maxDistance) : maxDistance_(maxDistance) {}

    void add(const KeyCodes& codes, const std::string& path);
    const std::vector<NearGroup>& groups() const { return groups_; }

private:
    struct KeyHash {
        std::size_t operator()(const PackedKey& key) const;
    };

    std::optional<std::size_t> groupWithin(const PackedKey& key) const;

    int maxDistance_;
    std::vector<NearGroup> groups_;
    // The groups' first keys: group g's in slot g of the blocks, which a vector scan reads in order,
    // and, for groups of equal keys, by value.
    std::vector<KeyBlock> leaders_;
    std::unordered_map<PackedKey, std::size_t, KeyHash> equalLeaders_;
};

} // namespace velsaro::cli
