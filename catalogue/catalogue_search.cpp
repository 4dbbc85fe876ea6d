#include "catalogue/catalogue_search.h"

#include "catalogue/paths.h"

#include <algorithm>

namespace velsaro::detail {

namespace {

// Queries scanned together: each row of keys is read once for them all.
constexpr std::size_t queriesPerPass = 64;

// A match as the distance above the number, so that sorting puts the nearest first.
using Hit = std::uint64_t;
constexpr int numberBits = 48;
int distanceOf(Hit hit) { return int(hit >> numberBits); }
std::int64_t numberOf(Hit hit) { return std::int64_t(hit & ((Hit(1) << numberBits) - 1)); }

struct Scan {
    std::vector<std::vector<Hit>> hits; // per query
    bool complete = true;               // false when more than the limit matched
};

Scan scan(const KeyRowSource& rows, std::span<const PackedKey> queries, int maxDistance, std::size_t limit)
{
    Scan result{std::vector<std::vector<Hit>>(queries.size())};
    std::vector<KeyHit> found(std::size_t(keysPerRow) * queries.size());
    std::size_t held = 0;
    rows([&](const KeyRow& row) {
        if (!result.complete)
            return;
        const std::size_t count = keysWithin(row.blocks.data(), std::size_t(keysPerRow), queries, maxDistance, found.data());
        for (std::size_t h = 0; h < count && result.complete; ++h) {
            if (!row.holds(found[h].key))
                continue;
            result.complete = ++held <= limit;
            result.hits[found[h].query].push_back(Hit(found[h].distance) << numberBits | Hit(row.firstNumber + found[h].key));
        }
    });
    return result;
}

// The paths of the catalogue's pictures, read by number.
class PathReader {
public:
    explicit PathReader(const Connection& connection)
        : connection_(connection),
          from_(connection, "SELECT rowid, path, size IS NULL FROM pictures WHERE rowid >= ?1 ORDER BY rowid"),
          one_(connection, "SELECT path, size IS NULL FROM pictures WHERE rowid = ?1")
    {
    }

    // The match of each of numbers (ascending) whose picture is there to list: the cursor walks on
    // to a near number, and seeks a far one, so that each page of the table is read once.
    void readAscending(std::span<const std::int64_t> numbers, int distance, std::vector<CatalogueMatch>& into)
    {
        bool onRow = false;
        std::int64_t at = -1;
        for (const std::int64_t number : numbers) {
            if (!onRow || number - at > 64) {
                from_.reset();
                onRow = from_.bind(1, number).step();
                at = onRow ? from_.number(0) : -1;
            }
            while (onRow && at < number)
                at = (onRow = from_.step()) ? from_.number(0) : -1;
            if (onRow && at == number && isListed(from_.bytes(1), from_.number(2) != 0))
                into.push_back({std::string(from_.bytes(1)), distance});
        }
        from_.reset();
    }

    std::optional<CatalogueMatch> read(std::int64_t number, int distance)
    {
        std::optional<CatalogueMatch> match;
        if (one_.bind(1, number).step() && isListed(one_.bytes(0), one_.number(1) != 0))
            match = CatalogueMatch{std::string(one_.bytes(0)), distance};
        one_.reset();
        return match;
    }

    // Every picture's place in the order of paths, by number: read once, the first time it is needed.
    const std::vector<std::uint32_t>& ranks()
    {
        if (ranks_.empty()) {
            ranks_.resize(std::size_t(connection_.number("SELECT max(rowid) FROM pictures")) + 1);
            Statement ordered(connection_, "SELECT rowid FROM pictures ORDER BY path");
            for (std::uint32_t rank = 0; ordered.step(); ++rank)
                ranks_[std::size_t(ordered.number(0))] = rank;
        }
        return ranks_;
    }

private:
    static bool isListed(std::string_view path, bool imported)
    {
        return imported || presenceOf(std::string(path)) == FilePresence::Regular;
    }

    const Connection& connection_;
    Statement from_;
    Statement one_;
    std::vector<std::uint32_t> ranks_;
};

// The matches at one distance, numbers ascending, to the receiver in order of paths: read with their
// paths and sorted, or, when too many to hold with their paths, sorted by their rank in the
// catalogue's order of paths and read one at a time.
void sendByPath(std::span<const std::int64_t> numbers, int distance, std::size_t heldPaths, PathReader& paths,
                SearchReceiver& receiver)
{
    if (numbers.size() <= heldPaths) {
        std::vector<CatalogueMatch> matches;
        paths.readAscending(numbers, distance, matches);
        std::sort(matches.begin(), matches.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
        for (const CatalogueMatch& match : matches)
            receiver.match(match);
        return;
    }
    const std::vector<std::uint32_t>& ranks = paths.ranks();
    std::vector<std::int64_t> byPath(numbers.begin(), numbers.end());
    std::sort(byPath.begin(), byPath.end(), [&](auto a, auto b) { return ranks[std::size_t(a)] < ranks[std::size_t(b)]; });
    for (const std::int64_t number : byPath)
        if (const std::optional<CatalogueMatch> match = paths.read(number, distance))
            receiver.match(*match);
}

void sendQuery(std::vector<Hit>& hits, std::size_t heldPaths, PathReader& paths, SearchReceiver& receiver)
{
    std::sort(hits.begin(), hits.end());
    std::vector<std::int64_t> numbers;
    for (std::size_t first = 0; first < hits.size();) {
        const int distance = distanceOf(hits[first]);
        numbers.clear();
        for (; first < hits.size() && distanceOf(hits[first]) == distance; ++first)
            numbers.push_back(numberOf(hits[first]));
        sendByPath(numbers, distance, heldPaths, paths, receiver);
    }
}

} // namespace

void searchCatalogue(const Connection& connection, const KeyRowSource& rows, std::span<const PackedKey> queries,
                     int maxDistance, SearchReceiver& receiver, const SearchLimits& limits)
{
    PathReader paths(connection);
    for (std::size_t first = 0; first < queries.size(); first += queriesPerPass) {
        const auto pass = queries.subspan(first, std::min(queriesPerPass, queries.size() - first));
        // Matches are held 8 bytes each; one query alone holds every match, 80 MB for ten million.
        Scan scanned = scan(rows, pass, maxDistance, limits.heldMatches);
        for (std::size_t q = 0; q < pass.size(); ++q) {
            if (!scanned.complete)
                scanned.hits[q] = std::move(scan(rows, pass.subspan(q, 1), maxDistance, SIZE_MAX).hits[0]);
            receiver.startQuery(first + q);
            sendQuery(scanned.hits[q], limits.heldPaths, paths, receiver);
            scanned.hits[q] = {};
        }
    }
}

} // namespace velsaro::detail
