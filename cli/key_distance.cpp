#include "cli/key_distance.h"

namespace velsaro::cli {

namespace {

// Beyond this radius a search would look up most of each segment's values, and reading every key is
// quicker than thousands of lookups per segment.
constexpr int largestSegmentRadius = 2;

int bitOfKey(const KeyCodes& codes, int bit)
{
    return (codes[std::size_t(bit / 8)] >> (7 - bit % 8)) & 1;
}

void addNeighbours(std::vector<std::uint16_t>& values, std::uint16_t value, int firstBit, int radius)
{
    if (radius == 0)
        return;
    for (int bit = firstBit; bit < segmentBits; ++bit) {
        const auto flipped = std::uint16_t(value ^ (1u << bit));
        values.push_back(flipped);
        addNeighbours(values, flipped, bit + 1, radius - 1);
    }
}

} // namespace

PackedKey packedKey(const KeyCodes& codes)
{
    PackedKey packed;
    for (std::size_t i = 0; i < codes.size(); ++i)
        packed.words[i / 8] |= std::uint64_t(codes[i]) << (8 * (i % 8));
    return packed;
}

KeySegments keySegments(const KeyCodes& codes)
{
    KeySegments segments{};
    for (int s = 0; s < segmentCount; ++s) {
        std::uint16_t value = 0;
        for (int b = 0; b < segmentBits; ++b)
            value = std::uint16_t(value << 1 | bitOfKey(codes, s * segmentBits + b));
        segments[std::size_t(s)] = value;
    }
    return segments;
}

// Pigeonhole: split the 18 segments into g groups; the bits by which a key differs from the query are
// spread over the groups, so if no group differed by at most floor(D / g) bits, every group would
// differ by at least floor(D / g) + 1 and the key by at least g * (floor(D / g) + 1) > D bits. With
// g = D + 1 groups (possible up to D = 17) that bound is 0: some group of whole segments equals the
// query's exactly, and one indexed lookup per group finds every candidate. For larger D each segment
// is its own group, and some segment lies within floor(D / 18) bits of the query's; the lookups
// then take every segment value that near. Each candidate is then checked against the full 216 bits.
SearchPlan searchPlan(int maxDistance)
{
    SearchPlan plan;
    const int groupCount = std::min(maxDistance + 1, segmentCount);
    plan.segmentRadius = maxDistance / groupCount;
    if (plan.segmentRadius > largestSegmentRadius) {
        plan.scanEverything = true;
        return plan;
    }
    for (int g = 0; g < groupCount; ++g) {
        std::vector<int> group;
        for (int s = g * segmentCount / groupCount; s < (g + 1) * segmentCount / groupCount; ++s)
            group.push_back(s);
        plan.groups.push_back(group);
    }
    return plan;
}

std::vector<std::uint16_t> segmentNeighbours(std::uint16_t value, int radius)
{
    std::vector<std::uint16_t> values = {value};
    addNeighbours(values, value, 0, radius);
    return values;
}

DistanceMatrix distanceMatrix(const std::vector<std::string>& paths, const std::vector<KeyCodes>& codes)
{
    DistanceMatrix matrix{paths, {}};
    for (const KeyCodes& row : codes) {
        std::vector<int> distances;
        for (const KeyCodes& column : codes)
            distances.push_back(keyDistance(row, column));
        matrix.distances.push_back(distances);
    }
    return matrix;
}

} // namespace velsaro::cli
