// Distances between keys, and the searches and groupings built on them checked against reading every
// key: the index of group leaders and the catalogue's indexed segments.
#include "cli/catalogue.h"
#include "cli/key_distance.h"
#include "cli/near_groups.h"
#include "tests/support/picture_files.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <numeric>
#include <random>

namespace velsaro::cli {
namespace {

KeyCodes allCodes(std::uint8_t code)
{
    KeyCodes codes{};
    codes.fill(code);
    return codes;
}

// Keys in clusters, as near copies of a few pictures give them: each a base key with a few to many
// of its bits flipped.
class ClusteredKeys {
public:
    explicit ClusteredKeys(unsigned seed) : random_(seed) {}

    KeyCodes randomKey()
    {
        KeyCodes codes{};
        for (std::uint8_t& code : codes)
            code = std::uint8_t(random_() & 0xff);
        return codes;
    }

    KeyCodes flipped(KeyCodes codes, int bits)
    {
        for (int i = 0; i < bits; ++i) {
            const auto bit = std::size_t(random_() % keyBitCount);
            codes[bit / 8] = std::uint8_t(codes[bit / 8] ^ (1u << (bit % 8)));
        }
        return codes;
    }

    // bits flips dealt out evenly over the 12-bit segments, which ones get one more chosen at random:
    // the hardest keys for a search by segments, as many segments as possible differing, each by as
    // little as possible.
    KeyCodes evenlyOverSegments(KeyCodes codes, int bits)
    {
        std::array<int, segmentCount> order{};
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), random_);
        for (int i = 0; i < segmentCount; ++i) {
            std::array<int, segmentBits> places{};
            std::iota(places.begin(), places.end(), 0);
            std::shuffle(places.begin(), places.end(), random_);
            const int flips = bits / segmentCount + (i < bits % segmentCount ? 1 : 0);
            for (int f = 0; f < flips; ++f) {
                const auto bit = std::size_t(order[std::size_t(i)] * segmentBits + places[std::size_t(f)]);
                codes[bit / 8] = std::uint8_t(codes[bit / 8] ^ (0x80u >> (bit % 8)));
            }
        }
        return codes;
    }

    std::vector<KeyCodes> make(int clusters, int perCluster, int mostFlips)
    {
        std::vector<KeyCodes> keys;
        for (int c = 0; c < clusters; ++c) {
            const KeyCodes base = randomKey();
            for (int k = 0; k < perCluster; ++k)
                keys.push_back(flipped(base, int(random_() % unsigned(mostFlips + 1))));
        }
        std::shuffle(keys.begin(), keys.end(), random_);
        return keys;
    }

private:
    std::mt19937 random_;
};

// Every distance the searches are checked at: exact groups of segments (up to 17), one segment per
// group with a radius of 1 and of 2 (18 to 53), and reading everything (54 and more).
const std::vector<int> searchDistances = {0, 1, 4, 8, 16, 17, 18, 30, 40, 60};

TEST(KeyDistance, CountsTheDifferingBitsOfKnownKeys)
{
    // One colour over the mesh against a black picture: the codes 244.224.233.148.0.41.151.7.47. of
    // each level hold 5+3+5+3+0+3+5+3+5 = 32 ones against all zeros.
    KeyCodes flat{};
    const std::array<std::uint8_t, 9> level = {244, 224, 233, 148, 0, 41, 151, 7, 47};
    for (std::size_t i = 0; i < flat.size(); ++i)
        flat[i] = level[i % 9];
    KeyCodes oneBit = flat;
    oneBit[26] ^= 0x80;

    EXPECT_EQ(keyDistance(flat, flat), 0);
    EXPECT_EQ(keyDistance(flat, allCodes(0)), 3 * 32);
    EXPECT_EQ(keyDistance(flat, oneBit), 1);
    EXPECT_EQ(keyDistance(allCodes(0), allCodes(255)), 216);
    EXPECT_EQ(keyDistance(allCodes(0x0f), allCodes(0xf0)), 216);
    EXPECT_EQ(keyDistance(allCodes(1), allCodes(3)), 27);
}

TEST(NearGroups, JoinsEachKeyToTheFirstGroupWhoseFirstKeyIsWithinTheDistance)
{
    ClusteredKeys generator(11);
    const std::vector<KeyCodes> keys = generator.make(40, 25, 30);
    for (int distance : searchDistances) {
        NearGroups groups(distance);
        for (std::size_t i = 0; i < keys.size(); ++i)
            groups.add(keys[i], std::to_string(i));

        // The same grouping by comparing each key with every group's first key in turn.
        std::vector<std::size_t> firsts;
        std::vector<std::vector<std::string>> expected;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const auto group = std::find_if(firsts.begin(), firsts.end(),
                                            [&](std::size_t f) { return keyDistance(keys[f], keys[i]) <= distance; });
            if (group == firsts.end()) {
                firsts.push_back(i);
                expected.push_back({std::to_string(i)});
            } else {
                expected[std::size_t(group - firsts.begin())].push_back(std::to_string(i));
            }
        }
        ASSERT_EQ(groups.groups().size(), expected.size()) << "D = " << distance;
        for (std::size_t g = 0; g < expected.size(); ++g) {
            const NearGroup& group = groups.groups()[g];
            EXPECT_EQ(group.paths, expected[g]) << "D = " << distance;
            const KeyCodes& first = keys[std::stoul(group.paths[0])];
            EXPECT_EQ(group.keyText, keyText(first));
            for (std::size_t p = 0; p < group.paths.size(); ++p) {
                EXPECT_EQ(group.distances[p], keyDistance(first, keys[std::stoul(group.paths[p])]));
                EXPECT_LE(group.distances[p], distance);
            }
        }
    }
}

TEST(Catalogue, FindsTheSameKeysAsReadingEveryOne)
{
    const testing::TemporaryFolder folder;
    Catalogue catalogue(QFile::encodeName(folder.filePath("claves.db")).toStdString());
    // Around each of a few keys, keys at every distance up to 64, so that every search distance has
    // keys just within it and just beyond it, with their differing bits in random places and dealt
    // out over the segments.
    ClusteredKeys generator(23);
    std::vector<KeyCodes> centres;
    std::vector<KeyCodes> keys;
    for (int c = 0; c < 12; ++c) {
        centres.push_back(generator.randomKey());
        for (int k = 0; k < 260; ++k) {
            keys.push_back(generator.flipped(centres.back(), k % 65));
            keys.push_back(generator.evenlyOverSegments(centres.back(), k % 65));
        }
    }
    for (std::size_t i = 0; i < keys.size(); ++i)
        catalogue.store("/fotos/" + std::to_string(i) + ".jpg", {1, 2}, keys[i], {});
    catalogue.commit();

    for (const KeyCodes& query : centres) {
        for (int distance : searchDistances) {
            std::vector<CatalogueMatch> expected;
            for (std::size_t i = 0; i < keys.size(); ++i)
                if (keyDistance(keys[i], query) <= distance)
                    expected.push_back({"/fotos/" + std::to_string(i) + ".jpg", keyDistance(keys[i], query)});
            std::sort(expected.begin(), expected.end(), [](const CatalogueMatch& a, const CatalogueMatch& b) {
                return a.distance != b.distance ? a.distance < b.distance : a.path < b.path;
            });

            const std::vector<CatalogueMatch> found = catalogue.find(query, distance);

            ASSERT_EQ(found.size(), expected.size()) << "D = " << distance;
            for (std::size_t m = 0; m < found.size(); ++m) {
                EXPECT_EQ(found[m].path, expected[m].path);
                EXPECT_EQ(found[m].distance, expected[m].distance);
            }
        }
    }
}

} // namespace
} // namespace velsaro::cli
