#include "cli/catalogue_search.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <map>

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

// The path of every number found, looked up once and in order of numbers, so that each page of the
// table is read once; none for a picture whose file is gone since it was keyed.
std::map<std::int64_t, std::optional<std::string>> pathsOf(PictureTable& pictures, const std::vector<std::vector<Near>>& found)
{
    std::map<std::int64_t, std::optional<std::string>> paths;
    for (const std::vector<Near>& near : found)
        for (const Near& key : near)
            paths.emplace(key.number, std::nullopt);
    for (auto& [number, path] : paths) {
        const auto record = pictures.pathOf(number); // path, imported
        if (record && (record->second || !isGone(record->first)))
            path = record->first;
    }
    return paths;
}

std::vector<CatalogueMatch> matchesOf(const std::vector<Near>& near,
                                      const std::map<std::int64_t, std::optional<std::string>>& paths)
{
    std::vector<CatalogueMatch> matches;
    for (const Near& key : near)
        if (const std::optional<std::string>& path = paths.at(key.number))
            matches.push_back({*path, key.distance});
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
        const std::vector<std::vector<Near>> found = scan(pictures.keys(), pass, maxDistance);
        const auto paths = pathsOf(pictures, found);
        for (const std::vector<Near>& near : found)
            matches.push_back(matchesOf(near, paths));
    }
    return matches;
}

} // namespace velsaro::cli
