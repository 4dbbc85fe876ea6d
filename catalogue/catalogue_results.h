// What a catalogue answers: the pictures a search found, and what an import stored.
#pragma once

#include <cstddef>
#include <string>

namespace velsaro {

struct CatalogueMatch {
    std::string path;
    int distance = 0;
    bool operator==(const CatalogueMatch&) const = default;
};

struct ImportSummary {
    std::size_t imported = 0;
    std::size_t withoutFile = 0; // of them, paths that lead to no regular file
};

} // namespace velsaro
