// Searching a catalogue for the pictures near some keys: every stored key is scanned, in rows of
// packed keys, against up to 64 queries at once, and so are the stored fingerprints' hashes beside
// them for queries with a fingerprint; the matches go to the receiver in their order, their paths read
// (and their fingerprints compared) as they go, never held for the whole search.
#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/hash_block_table.h"
#include "catalogue/key_block_table.h"
#include "likeness/near_copy.h"

#include <functional>
#include <span>

namespace velsaro::detail {

// How many matches a search holds at once: past heldMatches a pass of queries gives way to one query at
// a time; the paths of up to heldPaths matches are read together, and a query's matches at one
// distance that are more are put in order by rank.
struct SearchLimits {
    std::size_t heldMatches = std::size_t(1) << 22;
    std::size_t heldPaths = std::size_t(1) << 18;
};

// Calls its visitor with every row of keys, in order of numbers.
using KeyRowSource = std::function<void(const std::function<void(const KeyRow&)>&)>;

// The keys of one kind a search reads, with their hashes and the column of their fingerprints.
struct StoredKeys {
    KeyRowSource rows;
    std::function<std::optional<HashRow>(std::int64_t row)> hashRow = {}; // empty where none are stored
    std::function<std::vector<GreySketch>(std::int64_t row)> sketchRow = {}; // with hashRow
    std::string fingerprintColumn = "NULL";
    // Whether a picture without a fingerprint is matched by its key alone: not among fitted keys, each
    // stored with its fingerprint, where one without is left from a record since imported.
    bool keyAloneWithoutFingerprint = true;
};

struct SearchQuery {
    PackedKey key;
    std::optional<Fingerprint> fingerprint;
};

// For each query in turn, its matches, nearest key first, then by path: of the pictures whose key lies
// within maxDistance bits or whose hash lies within hashAloneDistance, those that isNearCopy confirms,
// and, where the picture or the query has no fingerprint, those within maxDistance. A picture whose
// file is no longer a regular file is left out, an imported one listed as it is. Paths and
// fingerprints come from table pictures under the numbers of the rows.
void searchCatalogue(const Connection& connection, const StoredKeys& stored, std::span<const SearchQuery> queries,
                     int maxDistance, SearchReceiver& receiver, const SearchLimits& limits = {});
// The same for queries without fingerprints over keys alone.
void searchCatalogue(const Connection& connection, const KeyRowSource& rows, std::span<const PackedKey> queries,
                     int maxDistance, SearchReceiver& receiver, const SearchLimits& limits = {});

} // namespace velsaro::detail
