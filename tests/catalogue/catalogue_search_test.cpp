// The catalogue's search, checked against comparing every key, on keys shaped like those of
// photographs: for more queries than one pass takes, and with matches past what a search holds.
#include "catalogue/catalogue.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/catalogue_search.h"
#include "catalogue/key_list.h"
#include "catalogue/picture_table.h"
#include "engine/key_distance.h"
#include "tests/catalogue/catalogue_states.h"
#include "tests/support/picture_files.h"
#include "tests/support/real_shaped_keys.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <random>

namespace velsaro {
namespace {

using Answers = std::vector<std::vector<CatalogueMatch>>;

class CollectedAnswers final : public SearchReceiver {
public:
    void startQuery(std::size_t query) override
    {
        EXPECT_EQ(query, answers.size());
        answers.emplace_back();
    }
    void match(const CatalogueMatch& match) override { answers.back().push_back(match); }

    Answers answers;
};

std::string pathOf(std::size_t key)
{
    return "/fotos/" + std::to_string(key) + ".jpg";
}

Answers answersByComparingEveryKey(const std::vector<KeyCodes>& keys, const std::vector<KeyCodes>& queries, int maxDistance)
{
    Answers answers;
    for (const KeyCodes& query : queries) {
        std::vector<CatalogueMatch>& matches = answers.emplace_back();
        for (std::size_t k = 0; k < keys.size(); ++k)
            if (const int d = keyDistance(packedKey(keys[k]), packedKey(query)); d <= maxDistance)
                matches.push_back({pathOf(k), d});
        std::sort(matches.begin(), matches.end(), [](const CatalogueMatch& a, const CatalogueMatch& b) {
            return a.distance != b.distance ? a.distance < b.distance : a.path < b.path;
        });
    }
    return answers;
}

class CatalogueSearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        // More keys than one row of packed keys holds, so that the search crosses rows.
        std::string list;
        for (std::size_t k = 0; k < keys.size(); ++k)
            list += keyLine(keyText(keys[k]), pathOf(k));
        const QString listFile = folder.write("claves.txt", list.c_str());
        Catalogue(file, CatalogueAccess::ReadWrite).importKeyLists({QFile::encodeName(listFile).toStdString()});
        // More queries than one pass of the scan takes.
        for (std::size_t k = 0; k < keys.size(); k += 71)
            queries.push_back(keys[k]);
        queries.push_back(testing::realShapedKeys(1, 99)[0]);
    }

    const testing::TemporaryFolder folder;
    const std::string file = QFile::encodeName(folder.filePath("claves.db")).toStdString();
    const std::vector<KeyCodes> keys = testing::realShapedKeys(5000, 4);
    std::vector<KeyCodes> queries;
};

TEST_F(CatalogueSearch, FindsForEveryQueryWhatComparingEveryKeyFindsAtEveryDistance)
{
    ASSERT_GT(queries.size(), 64u);
    Catalogue catalogue(file, CatalogueAccess::Search);
    for (int maxDistance = 0; maxDistance <= 60; maxDistance += 3) {
        CollectedAnswers found;
        catalogue.find(queries, maxDistance, found);
        ASSERT_EQ(found.answers, answersByComparingEveryKey(keys, queries, maxDistance)) << "D = " << maxDistance;
    }
}

TEST_F(CatalogueSearch, GivesTheSameAnswersWhenTheMatchesOutgrowWhatItHolds)
{
    const detail::OpenedCatalogue opened = detail::openCatalogueFile(file, detail::Access::Read);
    detail::PictureTable pictures(opened.connection);
    const detail::KeyRowSource rows = [&](const auto& visit) { pictures.keys().forEachRow(visit); };
    constexpr int maxDistance = 40;
    CollectedAnswers found;
    detail::searchCatalogue(opened.connection, rows, std::vector<PackedKey>{packedKey(queries[0]), packedKey(queries[1])},
                            maxDistance, found, {.heldMatches = 100, .heldPaths = 3});
    const std::vector<KeyCodes> searched(queries.begin(), queries.begin() + 2);
    EXPECT_EQ(found.answers, answersByComparingEveryKey(keys, searched, maxDistance));
}

// Fingerprints of the stored pictures: random ones, every fifth a copy of the one before it (hash a few
// bits off, grey levels a little), every seventh none.
std::vector<std::optional<Fingerprint>> fingerprintsOf(std::size_t count)
{
    std::mt19937 random(8);
    std::vector<std::optional<Fingerprint>> fingerprints(count);
    for (std::size_t k = 0; k < count; ++k) {
        Fingerprint& fingerprint = fingerprints[k].emplace();
        if (k % 5 == 1 && fingerprints[k - 1]) {
            fingerprint = *fingerprints[k - 1];
            for (int flip = 0; flip < int(k % 3) * 5 + 3; ++flip)
                fingerprint.hash ^= std::uint64_t(1) << (random() % 63 + 1);
        } else {
            fingerprint.hash = std::uint64_t(random()) << 32 | random();
        }
        for (std::int8_t& grey : fingerprint.grey)
            grey = std::int8_t(k % 5 == 1 ? std::clamp(grey + int(random() % 5) - 2, -127, 127) : int(random() % 200) - 100);
        if (k % 7 == 0)
            fingerprints[k].reset();
    }
    return fingerprints;
}

TEST_F(CatalogueSearch, MatchesByTheNearCopyRuleWhatComparingEveryPictureMatches)
{
    const std::vector<std::optional<Fingerprint>> fingerprints = fingerprintsOf(keys.size());
    const std::string stored = QFile::encodeName(folder.filePath("huellas.db")).toStdString();
    {
        Catalogue writing(stored, CatalogueAccess::ReadWrite);
        for (std::size_t k = 0; k < keys.size(); ++k) {
            Key key;
            for (std::size_t c = 0; c < keys[k].size(); ++c)
                key.levels[c / 9].codes[c % 9] = keys[k][c];
            writing.store(pathOf(k), FileIdentity{1, 1, 1, std::int64_t(k), 1, 1}, KeyKind::Plain, key, fingerprints[k]);
        }
    }
    ASSERT_TRUE(testing::executeSql(stored, "UPDATE pictures SET size = NULL")); // listed as imported ones are
    constexpr int maxDistance = 20;
    std::vector<CatalogueQuery> asked;
    Answers expected;
    for (std::size_t q = 0; q < keys.size(); q += 53) {
        const Fingerprint query = fingerprints[q].value_or(Fingerprint{});
        asked.push_back({keys[q], query});
        std::vector<CatalogueMatch>& matches = expected.emplace_back();
        for (std::size_t k = 0; k < keys.size(); ++k) {
            const int d = keyDistance(packedKey(keys[k]), packedKey(keys[q]));
            if (!fingerprints[k] && d <= maxDistance)
                matches.push_back({pathOf(k), d});
            else if (fingerprints[k] && isNearCopy(d, query, *fingerprints[k], maxDistance))
                matches.push_back({pathOf(k), d, hashDistance(query, *fingerprints[k]), greyCorrelation(query, *fingerprints[k])});
        }
        std::sort(matches.begin(), matches.end(), [](const CatalogueMatch& a, const CatalogueMatch& b) {
            return a.distance != b.distance ? a.distance < b.distance : a.path < b.path;
        });
    }

    CollectedAnswers found;
    Catalogue(stored, CatalogueAccess::Search).find(asked, maxDistance, KeyKind::Plain, found);

    EXPECT_EQ(found.answers, expected);
    // Some copies lie beyond D by key: only the hashes find them.
    EXPECT_TRUE(std::any_of(expected.begin(), expected.end(), [](const auto& matches) {
        return std::any_of(matches.begin(), matches.end(), [](const CatalogueMatch& m) { return m.distance > maxDistance; });
    }));
}

TEST(GreySketches, NeverRuleOutGreyLevelsThatCorrelateEnough)
{
    std::mt19937 random(12);
    int nearThreshold = 0;
    for (int pair = 0; pair < 20000; ++pair) {
        Fingerprint a, b;
        const int noise = 1 + pair % 60;
        // Offsets constant over each 4 x 4 block: the sketches see the whole difference.
        std::array<int, 16> offsets{};
        for (int& offset : offsets)
            offset = int(random() % (2 * noise + 1)) - noise;
        for (std::size_t i = 0; i < a.grey.size(); ++i) {
            a.grey[i] = std::int8_t(int(random() % 161) - 80);
            b.grey[i] = std::int8_t(std::clamp(a.grey[i] + offsets[(i / 64) * 4 + (i % 16) / 4], -127, 127));
        }
        for (const int hundredths : {90, 99}) {
            const bool correlates = greyCorrelatesAtLeast(a, b, hundredths);
            nearThreshold += correlates && !greyCorrelatesAtLeast(a, b, hundredths + 1) ? 1 : 0;
            if (correlates) {
                ASSERT_TRUE(sketchesAllow(greySketchOf(a), greySketchOf(b), hundredths)) << pair << " " << hundredths;
            }
        }
    }
    EXPECT_GT(nearThreshold, 100); // pairs right at the thresholds were tried
}

} // namespace
} // namespace velsaro
