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

    // The path of each of numbers (ascending, each once) whose picture is there to list: the cursor
    // walks on to a near number and seeks a far one, so that each page of the table is read once.
    std::vector<std::optional<std::string>> readAscending(std::span<const std::int64_t> numbers)
    {
        std::vector<std::optional<std::string>> paths(numbers.size());
        bool onRow = false;
        std::int64_t at = -1;
        for (std::size_t n = 0; n < numbers.size(); ++n) {
            if (!onRow || numbers[n] - at > 64) {
                from_.reset();
                onRow = from_.bind(1, numbers[n]).step();
                at = onRow ? from_.number(0) : -1;
            }
            while (onRow && at < numbers[n])
                at = (onRow = from_.step()) ? from_.number(0) : -1;
            if (onRow && at == numbers[n] && isListed(from_.bytes(1), from_.number(2) != 0))
                paths[n] = std::string(from_.bytes(1));
        }
        from_.reset();
        return paths;
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

// The matches of one query at one distance, numbers ascending.
struct Bucket {
    std::size_t query = 0;
    int distance = 0;
    std::vector<std::int64_t> numbers;
};

void appendBuckets(std::size_t query, std::vector<Hit>& hits, std::vector<Bucket>& buckets)
{
    std::sort(hits.begin(), hits.end());
    for (std::size_t first = 0; first < hits.size();) {
        Bucket& bucket = buckets.emplace_back(Bucket{query, distanceOf(hits[first]), {}});
        for (; first < hits.size() && distanceOf(hits[first]) == bucket.distance; ++first)
            bucket.numbers.push_back(numberOf(hits[first]));
    }
    hits = {};
}

// Tells the receiver of every query in turn, with or without matches.
class QueryStarts {
public:
    explicit QueryStarts(SearchReceiver& receiver) : receiver_(receiver) {}
    void through(std::size_t query)
    {
        for (; next_ <= query; ++next_)
            receiver_.startQuery(next_);
    }

private:
    SearchReceiver& receiver_;
    std::size_t next_ = 0;
};

// Buckets whose paths are held together: read in one walk of the table, then each bucket sorted by path.
void sendHeld(std::span<const Bucket> buckets, PathReader& reader, QueryStarts& starts, SearchReceiver& receiver)
{
    std::vector<std::int64_t> numbers;
    for (const Bucket& bucket : buckets)
        numbers.insert(numbers.end(), bucket.numbers.begin(), bucket.numbers.end());
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    const std::vector<std::optional<std::string>> paths = reader.readAscending(numbers);
    for (const Bucket& bucket : buckets) {
        starts.through(bucket.query);
        std::vector<CatalogueMatch> matches;
        for (const std::int64_t number : bucket.numbers)
            if (const auto& path = paths[std::size_t(std::lower_bound(numbers.begin(), numbers.end(), number) - numbers.begin())])
                matches.push_back({*path, bucket.distance});
        std::sort(matches.begin(), matches.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
        for (const CatalogueMatch& match : matches)
            receiver.match(match);
    }
}

// A bucket too large to hold with its paths: put in order by rank in the catalogue's order of paths,
// its paths read one at a time.
void sendByRank(const Bucket& bucket, PathReader& reader, QueryStarts& starts, SearchReceiver& receiver)
{
    starts.through(bucket.query);
    const std::vector<std::uint32_t>& ranks = reader.ranks();
    std::vector<std::int64_t> byPath = bucket.numbers;
    std::sort(byPath.begin(), byPath.end(), [&](auto a, auto b) { return ranks[std::size_t(a)] < ranks[std::size_t(b)]; });
    for (const std::int64_t number : byPath)
        if (const std::optional<CatalogueMatch> match = reader.read(number, bucket.distance))
            receiver.match(*match);
}

// The buckets in order, as many at a time as heldPaths allows.
void sendBuckets(std::span<const Bucket> buckets, std::size_t heldPaths, PathReader& reader, QueryStarts& starts,
                 SearchReceiver& receiver)
{
    for (std::size_t first = 0; first < buckets.size();) {
        if (buckets[first].numbers.size() > heldPaths) {
            sendByRank(buckets[first++], reader, starts, receiver);
            continue;
        }
        std::size_t end = first;
        for (std::size_t held = 0; end < buckets.size() && held + buckets[end].numbers.size() <= heldPaths; ++end)
            held += buckets[end].numbers.size();
        sendHeld(buckets.subspan(first, end - first), reader, starts, receiver);
        first = end;
    }
}

} // namespace

void searchCatalogue(const Connection& connection, const KeyRowSource& rows, std::span<const PackedKey> queries,
                     int maxDistance, SearchReceiver& receiver, const SearchLimits& limits)
{
    PathReader reader(connection);
    QueryStarts starts(receiver);
    for (std::size_t first = 0; first < queries.size(); first += queriesPerPass) {
        const auto pass = queries.subspan(first, std::min(queriesPerPass, queries.size() - first));
        // Matches are held 8 bytes each; one query alone holds every match, 80 MB for ten million.
        Scan scanned = scan(rows, pass, maxDistance, limits.heldMatches);
        std::vector<Bucket> buckets;
        for (std::size_t q = 0; q < pass.size(); ++q) {
            if (!scanned.complete) {
                buckets.clear();
                scanned.hits[q] = std::move(scan(rows, pass.subspan(q, 1), maxDistance, SIZE_MAX).hits[0]);
            }
            appendBuckets(first + q, scanned.hits[q], buckets);
            if (!scanned.complete)
                sendBuckets(buckets, limits.heldPaths, reader, starts, receiver);
        }
        if (scanned.complete)
            sendBuckets(buckets, limits.heldPaths, reader, starts, receiver);
        starts.through(first + pass.size() - 1);
    }
}

} // namespace velsaro::detail
