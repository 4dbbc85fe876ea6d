#include "cli/near_groups.h"

namespace velsaro::cli {

std::size_t NearGroups::KeyHash::operator()(const PackedKey& key) const
{
    std::size_t hash = 0;
    for (std::uint64_t word : key.words)
        hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
    return hash;
}

// Equal keys are found by value; near ones by scanning every group's first key in order, which on
// keys of real pictures (many alike in most of their bits) beats any index of parts of the keys.
std::optional<std::size_t> NearGroups::groupWithin(const PackedKey& key) const
{
    if (maxDistance_ == 0) {
        const auto equal = equalLeaders_.find(key);
        return equal == equalLeaders_.end() ? std::nullopt : std::optional(equal->second);
    }
    return firstKeyWithin(leaders_.data(), groups_.size(), key, maxDistance_);
}

void NearGroups::add(const KeyCodes& codes, const std::string& path)
{
    const PackedKey key = packedKey(codes);
    if (const std::optional<std::size_t> group = groupWithin(key)) {
        NearGroup& joined = groups_[*group];
        joined.paths.push_back(path);
        joined.distances.push_back(keyDistance(leaders_[*group / keysPerBlock].key(*group % keysPerBlock), key));
        return;
    }
    const std::size_t number = groups_.size();
    if (number % keysPerBlock == 0)
        leaders_.emplace_back();
    leaders_.back().place(number % keysPerBlock, key);
    if (maxDistance_ == 0)
        equalLeaders_.emplace(key, number);
    groups_.push_back({keyText(codes), {path}, {0}});
}

DistanceMatrix distanceMatrix(const std::vector<std::string>& paths, const std::vector<KeyCodes>& codes)
{
    DistanceMatrix matrix{paths, {}};
    for (const KeyCodes& row : codes) {
        std::vector<int> distances;
        for (const KeyCodes& column : codes)
            distances.push_back(keyDistance(packedKey(row), packedKey(column)));
        matrix.distances.push_back(distances);
    }
    return matrix;
}

} // namespace velsaro::cli
