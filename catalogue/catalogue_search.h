// Searching a catalogue for the pictures near some keys: every stored key is scanned, in rows of
// packed keys, against up to 64 queries at once; the matches go to the receiver in their order, their
// paths read as they go, never held for the whole search.
#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/key_block_table.h"

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

// For each query in turn, the pictures within maxDistance bits, nearest first, then by path; a
// picture whose file is no longer a regular file is left out, an imported one listed as it is. Paths
// come from table pictures under the numbers of the rows.
void searchCatalogue(const Connection& connection, const KeyRowSource& rows, std::span<const PackedKey> queries,
                     int maxDistance, SearchReceiver& receiver, const SearchLimits& limits = {});

} // namespace velsaro::detail
