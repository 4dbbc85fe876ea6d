// The grouping of near keys, checked against comparing every key on keys shaped like those of
// photographs, at every distance from 0 to 60; the confirmed grouping against applying the near-copy
// rule to every group's first picture.
#include "cli/near_groups.h"
#include "tests/support/real_shaped_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>

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

// A random one of the lowest cosines across and down, of some amplitude, added to the grey levels: the
// grey levels of photographs, and their changes that most move their low frequencies.
void addSmoothPattern(Fingerprint& fingerprint, std::mt19937& random, int amplitude)
{
    const int across = int(random() % 3), down = int(random() % 3);
    for (int cell = 0; cell < 256; ++cell) {
        const double value = amplitude * std::cos((2 * (cell % 16) + 1) * across * M_PI / 32) *
                             std::cos((2 * (cell / 16) + 1) * down * M_PI / 32);
        std::int8_t& level = fingerprint.grey[std::size_t(cell)];
        level = std::int8_t(std::clamp(level + int(std::lround(value)) + int(random() % 5) - 2, -127, 127));
    }
}

Fingerprint unrelatedFingerprint(std::mt19937& random)
{
    Fingerprint fingerprint{(std::uint64_t(random()) << 32 | random()) & ~std::uint64_t(1)};
    for (int pattern = 0; pattern < 3; ++pattern)
        addSmoothPattern(fingerprint, random, 40);
    return fingerprint;
}

// Exactly some of the hash's 63 bits turned, and the grey levels changed: about the thresholds of the
// rule (hashes 8, 16, 28 bits apart; correlations 0.90 and 0.99).
Fingerprint copyOf(Fingerprint fingerprint, std::mt19937& random)
{
    static constexpr int bits[] = {0, 7, 8, 9, 15, 16, 17, 27, 28, 29};
    static constexpr int amplitudes[] = {0, 4, 8, 9, 12, 20, 24, 27, 30, 40};
    const int wanted = bits[random() % std::size(bits)];
    std::uint64_t turned = 0;
    const bool isSpread = random() % 2 == 0; // one turned in each of `wanted` stretches: no part left equal
    for (int k = 0; isSpread && k < wanted; ++k) {
        const int stretch = 63 * k / wanted, next = 63 * (k + 1) / wanted;
        turned |= std::uint64_t(1) << (1 + stretch + int(random() % unsigned(next - stretch)));
    }
    while (std::popcount(turned) < wanted)
        turned |= std::uint64_t(1) << (1 + random() % 63);
    fingerprint.hash ^= turned;
    addSmoothPattern(fingerprint, random, amplitudes[random() % std::size(amplitudes)]);
    return fingerprint;
}

// Real-shaped keys; a near copy's fingerprint mostly a copy of its original's, else unrelated, so that
// unrelated pictures come with equal and near keys too.
std::vector<KeyedPicture> picturesWithNearCopies(std::size_t count, unsigned seed)
{
    const testing::ShapedKeys keys = testing::realShapedKeysWithOrigins(count, seed);
    std::mt19937 random(seed);
    std::vector<KeyedPicture> pictures;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t origin = keys.origins[i];
        const bool isCopy = origin != i && random() % 4 != 0;
        pictures.push_back({keys.keys[i], std::to_string(i),
                            isCopy ? copyOf(pictures[origin].fingerprint, random) : unrelatedFingerprint(random)});
    }
    return pictures;
}

// Each picture joins the first group, in order, whose first picture it is a near copy of.
std::vector<std::vector<std::string>> groupsByConfirmingEveryLeader(const std::vector<KeyedPicture>& pictures,
                                                                     int maxDistance)
{
    std::vector<const KeyedPicture*> leaders;
    std::vector<std::vector<std::string>> groups;
    for (const KeyedPicture& picture : pictures) {
        const auto group = std::find_if(leaders.begin(), leaders.end(), [&](const KeyedPicture* leader) {
            return isNearCopy(distance(leader->codes, picture.codes), leader->fingerprint, picture.fingerprint,
                              maxDistance);
        });
        const auto number = std::size_t(group - leaders.begin());
        if (group == leaders.end()) {
            leaders.push_back(&picture);
            groups.push_back({});
        }
        groups[number].push_back(picture.path);
    }
    return groups;
}

TEST(NearGroups, ConfirmedGroupsAreThoseOfConfirmingEveryGroupsFirstPicture)
{
    // More pictures than a round takes, on two threads; distances with and without the key parts index.
    const std::vector<KeyedPicture> pictures = picturesWithNearCopies(3000, 5);
    for (int maxDistance : {0, 8, 16, 23, 24, 32, 48}) {
        const std::vector<NearGroup> groups = confirmedNearGroups(pictures, maxDistance, 2);
        const std::vector<std::vector<std::string>> expected = groupsByConfirmingEveryLeader(pictures, maxDistance);

        ASSERT_EQ(groups.size(), expected.size()) << "D = " << maxDistance;
        for (std::size_t g = 0; g < expected.size(); ++g)
            ASSERT_EQ(groups[g].paths, expected[g]) << "D = " << maxDistance;
    }
}

} // namespace
} // namespace velsaro::cli
