// The grouping of near keys, checked against comparing every key on keys shaped like those of
// photographs, at every distance from 0 to 60.
#include "cli/near_groups.h"
#include "tests/support/real_shaped_keys.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velsaro::cli {
namespace {

int distance(const KeyCodes& a, const KeyCodes& b)
{
    return keyDistance(packedKey(a), packedKey(b));
}

// Each key joins the first group, in order, whose first key is within maxDistance.
std::vector<std::vector<std::size_t>> groupsByComparingEveryLeader(const std::vector<KeyCodes>& keys, int maxDistance)
{
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const auto group = std::find_if(groups.begin(), groups.end(), [&](const std::vector<std::size_t>& members) {
            return distance(keys[members[0]], keys[k]) <= maxDistance;
        });
        if (group == groups.end())
            groups.push_back({k});
        else
            group->push_back(k);
    }
    return groups;
}

TEST(NearGroups, GroupRealShapedKeysAsComparingEveryGroupsFirstKeyDoesAtEveryDistance)
{
    // More pictures than a round of the grouping takes, on two threads.
    const std::vector<KeyCodes> keys = testing::realShapedKeys(2500, 3);
    std::vector<KeyedPicture> pictures;
    for (std::size_t k = 0; k < keys.size(); ++k)
        pictures.push_back({keys[k], std::to_string(k)});
    for (int maxDistance = 0; maxDistance <= 60; ++maxDistance) {
        const std::vector<NearGroup> groups = nearGroups(pictures, maxDistance, 2);
        const std::vector<std::vector<std::size_t>> expected = groupsByComparingEveryLeader(keys, maxDistance);

        ASSERT_EQ(groups.size(), expected.size()) << "D = " << maxDistance;
        for (std::size_t g = 0; g < expected.size(); ++g) {
            const NearGroup& group = groups[g];
            std::vector<std::string> paths;
            std::vector<int> distances;
            for (std::size_t k : expected[g]) {
                paths.push_back(std::to_string(k));
                distances.push_back(distance(keys[expected[g][0]], keys[k]));
            }
            ASSERT_EQ(group.paths, paths) << "D = " << maxDistance;
            EXPECT_EQ(group.distances, distances);
            EXPECT_EQ(group.keyText, keyText(keys[expected[g][0]]));
        }
    }
}

} // namespace
} // namespace velsaro::cli
