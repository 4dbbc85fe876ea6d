#include "cli/near_groups.h"

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

std::vector<std::uint64_t> NearIndex::lookupValues(std::size_t g, const KeySegments& segments) const
{
    const std::vector<int>& group = plan_.groups[g];
    if (plan_.segmentRadius == 0)
        return {groupValue(group, segments)};
    std::vector<std::uint64_t> values;
    KeySegments variant = segments;
    for (std::uint16_t segment : segmentNeighbours(segments[std::size_t(group[0])], plan_.segmentRadius)) {
        variant[std::size_t(group[0])] = segment;
        values.push_back(groupValue(group, variant));
    }
    return values;
}

std::optional<std::uint32_t> NearIndex::firstWithin(const PackedKey& query, const KeySegments& segments) const
{
    const auto isWithin = [&](std::uint32_t number) { return keyDistance(keys_[number], query) <= maxDistance_; };
    // The buckets that may hold a key within reach. Keys alike in many segments (real pictures share
    // flat regions) fill the same buckets: when the candidates outnumber the keys, reading the keys in
    // order, up to the first within reach, costs less.
    std::vector<const std::vector<std::uint32_t>*> candidates;
    std::size_t candidateCount = 0;
    if (!plan_.scanEverything) {
        for (std::size_t g = 0; g < plan_.groups.size(); ++g)
            for (std::uint64_t value : lookupValues(g, segments))
                if (const auto bucket = buckets_[g].find(value); bucket != buckets_[g].end()) {
                    candidates.push_back(&bucket->second);
                    candidateCount += bucket->second.size();
                }
    }
    if (plan_.scanEverything || candidateCount >= keys_.size()) {
        for (std::uint32_t number = 0; number < keys_.size(); ++number)
            if (isWithin(number))
                return number;
        return std::nullopt;
    }
    // A key alike in several groups stands in several buckets: it is measured once.
    ++queries_;
    std::optional<std::uint32_t> first;
    for (const std::vector<std::uint32_t>* bucket : candidates)
        for (std::uint32_t number : *bucket) {
            if ((first && number >= *first) || seenAt_[number] == queries_)
                continue;
            seenAt_[number] = queries_;
            if (isWithin(number))
                first = number;
        }
    return first;
}

void NearGroups::add(const KeyCodes& codes, const std::string& path)
{
    const PackedKey key = packedKey(codes);
    const KeySegments segments = keySegments(codes);
    const std::optional<std::uint32_t> first = leaders_.firstWithin(key, segments);
    if (!first) {
        leaders_.add(key, segments);
        groups_.push_back({keyText(codes), {path}, {0}});
        return;
    }
    groups_[*first].paths.push_back(path);
    groups_[*first].distances.push_back(keyDistance(leaders_.key(*first), key));
}

} // namespace velsaro::cli
