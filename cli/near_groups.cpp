#include "cli/near_groups.h"

#include <algorithm>

namespace velsaro::cli {

NearIndex::NearIndex(int maxDistance) : maxDistance_(maxDistance), plan_(searchPlan(maxDistance))
{
    buckets_.resize(plan_.groups.size());
}

// The segments of a group folded into one number; two different groups of values may fold alike,
// which only adds candidates that the full comparison then drops.
std::uint64_t NearIndex::groupValue(const std::vector<int>& group, const KeySegments& segments) const
{
    std::uint64_t value = 0;
    for (int s : group)
        value = value * 0x9E3779B97F4A7C15ull + segments[std::size_t(s)] + 1;
    return value;
}

void NearIndex::add(const PackedKey& key, const KeySegments& segments)
{
    const auto number = std::uint32_t(keys_.size());
    keys_.push_back(key);
    seenAt_.push_back(0);
    for (std::size_t g = 0; g < plan_.groups.size(); ++g)
        buckets_[g][groupValue(plan_.groups[g], segments)].push_back(number);
}

std::vector<std::uint32_t> NearIndex::near(const PackedKey& query, const KeySegments& segments) const
{
    std::vector<std::uint32_t> found;
    const auto consider = [&](std::uint32_t number) {
        if (seenAt_[number] == queries_)
            return;
        seenAt_[number] = queries_;
        if (keyDistance(keys_[number], query) <= maxDistance_)
            found.push_back(number);
    };
    ++queries_;
    if (plan_.scanEverything) {
        for (std::uint32_t number = 0; number < keys_.size(); ++number)
            consider(number);
        return found;
    }
    for (std::size_t g = 0; g < plan_.groups.size(); ++g) {
        const std::vector<int>& group = plan_.groups[g];
        std::vector<std::uint64_t> values;
        if (plan_.segmentRadius == 0) {
            values.push_back(groupValue(group, segments));
        } else {
            KeySegments variant = segments;
            for (std::uint16_t segment : segmentNeighbours(segments[std::size_t(group[0])], plan_.segmentRadius)) {
                variant[std::size_t(group[0])] = segment;
                values.push_back(groupValue(group, variant));
            }
        }
        for (std::uint64_t value : values) {
            const auto bucket = buckets_[g].find(value);
            if (bucket != buckets_[g].end())
                std::for_each(bucket->second.begin(), bucket->second.end(), consider);
        }
    }
    return found;
}

void NearGroups::add(const KeyCodes& codes, const std::string& path)
{
    const PackedKey key = packedKey(codes);
    const KeySegments segments = keySegments(codes);
    const std::vector<std::uint32_t> near = leaders_.near(key, segments);
    if (near.empty()) {
        leaders_.add(key, segments);
        groups_.push_back({keyTextOfCodes(codes), {path}, {0}});
        return;
    }
    const std::uint32_t first = *std::min_element(near.begin(), near.end());
    groups_[first].paths.push_back(path);
    groups_[first].distances.push_back(keyDistance(leaders_.key(first), key));
}

} // namespace velsaro::cli
