#include "catalogue/catalogue_search.h"

#include "catalogue/paths.h"
#include "catalogue/picture_table.h"

#include <algorithm>
#include <bit>

namespace velsaro::detail {

namespace {

// Queries scanned together: each row of keys is read once for them all.
constexpr std::size_t queriesPerPass = 64;

// A match as the distance above the number, so that sorting puts the nearest first.
using Hit = std::uint64_t;
constexpr int numberBits = 48;
static_assert(Hit(numberLimit) <= Hit(1) << numberBits);
int distanceOf(Hit hit) { return int(hit >> numberBits); }
std::int64_t numberOf(Hit hit) { return std::int64_t(hit & ((Hit(1) << numberBits) - 1)); }

struct Scan {
    std::vector<std::vector<Hit>> hits; // per query
    bool complete = true;               // false when more than the limit matched
};

// The slots of hashes within maxBits of hash, in order, with the CPU's population count where it has
// one: the scan reads every stored hash.
#if defined(__x86_64__)
__attribute__((target_clones("popcnt", "default")))
#endif
std::size_t hashesWithin(const std::uint64_t* hashes, std::size_t count, std::uint64_t hash, int maxBits,
                         std::uint32_t* found)
{
    std::size_t within = 0;
    for (std::size_t slot = 0; slot < count; ++slot) {
        found[within] = std::uint32_t(slot);
        within += std::size_t(std::popcount(hashes[slot] ^ hash) <= maxBits);
    }
    return within;
}

// The pictures of row beyond maxDistance whose hash lies within hashAloneDistance of the query's:
// the key scan has found those within it.
void scanHashes(const KeyRow& row, const HashRow& hashes, const SearchQuery& query, int maxDistance,
                std::vector<std::uint32_t>& found, std::vector<Hit>& hits)
{
    const std::size_t count =
        hashesWithin(hashes.hashes.data(), hashes.hashes.size(), query.fingerprint->hash, hashAloneDistance, found.data());
    for (std::size_t f = 0; f < count; ++f) {
        const std::size_t slot = found[f];
        if (!hashes.holds(slot) || !row.holds(slot))
            continue;
        const int distance = keyDistance(row.blocks[slot / keysPerBlock].key(slot % keysPerBlock), query.key);
        if (distance > maxDistance)
            hits.push_back(Hit(distance) << numberBits | Hit(row.firstNumber + std::int64_t(slot)));
    }
}

// The hashes of a row of keys and, read the first time a picture found by key needs them, their
// grey sketches.
struct RowFingerprints {
    std::optional<HashRow> hashes;
    std::vector<GreySketch> sketches;

    // Whether a picture found by its key can still be a near copy: not when both have a fingerprint
    // and their hashes or grey sketches lie further apart than any confirmation allows, which spares
    // reading its record.
    bool mayConfirm(const StoredKeys& stored, std::size_t slot, const SearchQuery& query, const GreySketch& sketch)
    {
        if (!hashes || !query.fingerprint || !hashes->holds(slot))
            return true;
        const int distance = std::popcount(hashes->hashes[slot] ^ query.fingerprint->hash);
        if (distance <= hashAloneDistance || distance > smoothHashDistance)
            return distance <= hashAloneDistance;
        if (sketches.empty())
            sketches = stored.sketchRow(hashes->firstNumber / keysPerRow);
        return mayConfirmByKey(distance, sketches[slot], sketch);
    }
};

// The row's hashes, where they are stored and some query has a fingerprint.
std::optional<HashRow> hashesOf(const StoredKeys& stored, const KeyRow& row, std::span<const SearchQuery> queries)
{
    const bool anyFingerprint =
        std::any_of(queries.begin(), queries.end(), [](const SearchQuery& query) { return query.fingerprint.has_value(); });
    return anyFingerprint && stored.hashRow ? stored.hashRow(row.firstNumber / keysPerRow) : std::nullopt;
}

Scan scan(const StoredKeys& stored, std::span<const SearchQuery> queries, int maxDistance, std::size_t limit)
{
    Scan result{std::vector<std::vector<Hit>>(queries.size())};
    std::vector<PackedKey> keys;
    std::vector<GreySketch> sketches;
    for (const SearchQuery& query : queries) {
        keys.push_back(query.key);
        sketches.push_back(query.fingerprint ? greySketchOf(*query.fingerprint) : GreySketch{});
    }
    std::vector<KeyHit> found(std::size_t(keysPerRow) * queries.size());
    std::vector<std::uint32_t> foundHashes(static_cast<std::size_t>(keysPerRow));
    std::size_t held = 0;
    stored.rows([&](const KeyRow& row) {
        if (!result.complete)
            return;
        RowFingerprints fingerprints{hashesOf(stored, row, queries), {}};
        const std::optional<HashRow>& hashes = fingerprints.hashes;
        const std::size_t count = keysWithin(row.blocks.data(), std::size_t(keysPerRow), keys, maxDistance, found.data());
        for (std::size_t h = 0; h < count && result.complete; ++h) {
            const KeyHit& hit = found[h];
            if (!row.holds(hit.key) || !fingerprints.mayConfirm(stored, hit.key, queries[hit.query], sketches[hit.query]))
                continue;
            result.complete = ++held <= limit;
            result.hits[hit.query].push_back(Hit(hit.distance) << numberBits | Hit(row.firstNumber + hit.key));
        }
        for (std::size_t q = 0; hashes && q < queries.size(); ++q)
            if (queries[q].fingerprint)
                scanHashes(row, *hashes, queries[q], maxDistance, foundHashes, result.hits[q]);
    });
    return result;
}

// A picture as a search lists it: its path, and its fingerprint if it has one.
struct Listed {
    std::string path;
    std::optional<Fingerprint> fingerprint;
};

// The paths and fingerprints of the catalogue's pictures, read by number.
class PathReader {
public:
    PathReader(const Connection& connection, const std::string& fingerprintColumn)
        : connection_(connection),
          from_(connection, "SELECT rowid, path, size IS NULL, " + fingerprintColumn +
                                " FROM pictures WHERE rowid >= ?1 ORDER BY rowid"),
          one_(connection, "SELECT rowid, path, size IS NULL, " + fingerprintColumn + " FROM pictures WHERE rowid = ?1")
    {
    }

    // Each of numbers (ascending, each once) whose picture is there to list: the cursor walks on to a
    // near number and seeks a far one, so that each page of the table is read once.
    std::vector<std::optional<Listed>> readAscending(std::span<const std::int64_t> numbers)
    {
        std::vector<std::optional<Listed>> listed(numbers.size());
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
            if (onRow && at == numbers[n])
                listed[n] = listedOf(from_);
        }
        from_.reset();
        return listed;
    }

    std::optional<Listed> read(std::int64_t number)
    {
        std::optional<Listed> listed;
        if (one_.bind(1, number).step())
            listed = listedOf(one_);
        one_.reset();
        return listed;
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
    // The picture on row, if it is there to list: imported, or its file still a regular file.
    static std::optional<Listed> listedOf(const Statement& row)
    {
        const std::string_view path = row.bytes(1);
        if (row.number(2) == 0 && presenceOf(std::string(path)) != FilePresence::Regular)
            return std::nullopt;
        return Listed{std::string(path), decodedFingerprint(row.bytes(3))};
    }

    const Connection& connection_;
    Statement from_;
    Statement one_;
    std::vector<std::uint32_t> ranks_;
};

// What decides the matches among the pictures found.
struct Confirmation {
    std::span<const SearchQuery> queries;
    int maxDistance = 0;
    bool keyAloneWithoutFingerprint = true;

    // The match of listed at distance from query, if it is one: by the fingerprints where both have one,
    // else by the distance alone.
    std::optional<CatalogueMatch> operator()(std::size_t query, Listed listed, int distance) const
    {
        const std::optional<Fingerprint>& asked = queries[query].fingerprint;
        if (!asked || !listed.fingerprint) {
            if (distance > maxDistance || (asked && !keyAloneWithoutFingerprint))
                return std::nullopt;
            return CatalogueMatch{std::move(listed.path), distance};
        }
        if (!isNearCopy(distance, *asked, *listed.fingerprint, maxDistance))
            return std::nullopt;
        return CatalogueMatch{std::move(listed.path), distance, hashDistance(*asked, *listed.fingerprint),
                              greyCorrelation(*asked, *listed.fingerprint)};
    }
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
void sendHeld(std::span<const Bucket> buckets, PathReader& reader, const Confirmation& confirmed, QueryStarts& starts,
              SearchReceiver& receiver)
{
    std::vector<std::int64_t> numbers;
    for (const Bucket& bucket : buckets)
        numbers.insert(numbers.end(), bucket.numbers.begin(), bucket.numbers.end());
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    const std::vector<std::optional<Listed>> listed = reader.readAscending(numbers);
    for (const Bucket& bucket : buckets) {
        starts.through(bucket.query);
        std::vector<CatalogueMatch> matches;
        for (const std::int64_t number : bucket.numbers) {
            const auto& picture = listed[std::size_t(std::lower_bound(numbers.begin(), numbers.end(), number) - numbers.begin())];
            if (std::optional<CatalogueMatch> match = picture ? confirmed(bucket.query, *picture, bucket.distance) : std::nullopt)
                matches.push_back(std::move(*match));
        }
        std::sort(matches.begin(), matches.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
        for (const CatalogueMatch& match : matches)
            receiver.match(match);
    }
}

// A bucket too large to hold with its paths: put in order by rank in the catalogue's order of paths,
// its paths read one at a time.
void sendByRank(const Bucket& bucket, PathReader& reader, const Confirmation& confirmed, QueryStarts& starts,
                SearchReceiver& receiver)
{
    starts.through(bucket.query);
    const std::vector<std::uint32_t>& ranks = reader.ranks();
    std::vector<std::int64_t> byPath = bucket.numbers;
    std::sort(byPath.begin(), byPath.end(), [&](auto a, auto b) { return ranks[std::size_t(a)] < ranks[std::size_t(b)]; });
    for (const std::int64_t number : byPath) {
        std::optional<Listed> picture = reader.read(number);
        if (const std::optional<CatalogueMatch> match = picture ? confirmed(bucket.query, *picture, bucket.distance) : std::nullopt)
            receiver.match(*match);
    }
}

// The buckets in order, as many at a time as heldPaths allows.
void sendBuckets(std::span<const Bucket> buckets, std::size_t heldPaths, PathReader& reader,
                 const Confirmation& confirmed, QueryStarts& starts, SearchReceiver& receiver)
{
    for (std::size_t first = 0; first < buckets.size();) {
        if (buckets[first].numbers.size() > heldPaths) {
            sendByRank(buckets[first++], reader, confirmed, starts, receiver);
            continue;
        }
        std::size_t end = first;
        for (std::size_t held = 0; end < buckets.size() && held + buckets[end].numbers.size() <= heldPaths; ++end)
            held += buckets[end].numbers.size();
        sendHeld(buckets.subspan(first, end - first), reader, confirmed, starts, receiver);
        first = end;
    }
}

} // namespace

void searchCatalogue(const Connection& connection, const StoredKeys& stored, std::span<const SearchQuery> queries,
                     int maxDistance, SearchReceiver& receiver, const SearchLimits& limits)
{
    PathReader reader(connection, stored.fingerprintColumn);
    const Confirmation confirmed{queries, maxDistance, stored.keyAloneWithoutFingerprint};
    QueryStarts starts(receiver);
    for (std::size_t first = 0; first < queries.size(); first += queriesPerPass) {
        const auto pass = queries.subspan(first, std::min(queriesPerPass, queries.size() - first));
        // Matches are held 8 bytes each; one query alone holds every match, 80 MB for ten million.
        Scan scanned = scan(stored, pass, maxDistance, limits.heldMatches);
        std::vector<Bucket> buckets;
        for (std::size_t q = 0; q < pass.size(); ++q) {
            if (!scanned.complete) {
                buckets.clear();
                scanned.hits[q] = std::move(scan(stored, pass.subspan(q, 1), maxDistance, SIZE_MAX).hits[0]);
            }
            appendBuckets(first + q, scanned.hits[q], buckets);
            if (!scanned.complete)
                sendBuckets(buckets, limits.heldPaths, reader, confirmed, starts, receiver);
        }
        if (scanned.complete)
            sendBuckets(buckets, limits.heldPaths, reader, confirmed, starts, receiver);
        starts.through(first + pass.size() - 1);
    }
}

void searchCatalogue(const Connection& connection, const KeyRowSource& rows, std::span<const PackedKey> queries,
                     int maxDistance, SearchReceiver& receiver, const SearchLimits& limits)
{
    std::vector<SearchQuery> asked;
    for (const PackedKey& key : queries)
        asked.push_back({key, std::nullopt});
    searchCatalogue(connection, StoredKeys{rows}, asked, maxDistance, receiver, limits);
}

} // namespace velsaro::detail
