// What a catalogue answers: the pictures a search found, and what an import stored.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace velsaro {

struct CatalogueMatch {
    std::string path;
    int distance = 0; // of the keys
    // Of a match confirmed by the fingerprints, their hash distance and grey correlation; none for one
    // matched by the key distance alone (a record or a query without a fingerprint).
    std::optional<int> hashDistance = {};
    std::optional<double> greyCorrelation = {};
    bool operator==(const CatalogueMatch&) const = default;
};

struct ImportSummary {
    std::size_t imported = 0;
    std::size_t withoutFile = 0; // of them, paths that lead to no regular file
};

} // namespace velsaro
