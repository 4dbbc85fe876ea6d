#include "cli/catalogue_search.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace velsaro::cli {

namespace {

// Queries scanned together: each row of keys is read once for them all, and the hits of one row stay
// within a few MiB.
constexpr std::size_t queriesPerPass = 64;

struct Near {
    int distance;
    std::int64_t number;
};

bool isGone(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// The numbers of the stored keys within reach of each query.
std::vector<std::vector<Near>> scan(KeyBlockTable& keys, std::span<const PackedKey> queries, int maxDistance)
{
    std::vector<std::vector<Near>> found(queries.size());
    std::vector<KeyHit> hits(std::size_t(keysPerRow) * queries.size());
    keys.forEachRow([&](const KeyRow& row) {
        const std::size_t count =
            keysWithin(row.blocks.data(), std::size_t(keysPerRow), queries, maxDistance, hits.data());
        for (std::size_t h = 0; h < count; ++h)
            if (row.holds(hits[h].key))
                found[hits[h].query].push_back({int(hits[h].distance), row.firstNumber + hits[h].key});
    });
    return found;
}

std::vector<CatalogueMatch> matchesOf(PictureTable& pictures, const std::vector<Near>& near)
{
    std::vector<CatalogueMatch> matches;
    for (const Near& key : near) {
        const auto found = pictures.pathOf(key.number);
        if (found && (found->second || !isGone(found->first)))
            matches.push_back({found->first, key.distance});
    }
    std::sort(matches.begin(), matches.end(), [](const CatalogueMatch& a, const CatalogueMatch& b) {
        return a.distance != b.distance ? a.distance < b.distance : a.path < b.path;
    });
    return matches;
}

} // namespace

std::vector<std::vector<CatalogueMatch>> searchCatalogue(PictureTable& pictures, std::span<const PackedKey> queries,
                                                         int maxDistance)
{
    std::vector<std::vector<CatalogueMatch>> matches;
    for (std::size_t first = 0; first < queries.size(); first += queriesPerPass) {
        const auto pass = queries.subspan(first, std::min(queriesPerPass, queries.size() - first));
        for (const std::vector<Near>& near : scan(pictures.keys(), pass, maxDistance))
            matches.push_back(matchesOf(pictures, near));
    }
    return matches;
}

} // namespace velsaro::cli
