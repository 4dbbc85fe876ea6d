// Searching the catalogue for the pictures near some keys: every stored key is scanned, in rows of
// packed keys, against all the queries at once.
#pragma once

#include "cli/picture_table.h"

#include <span>
#include <string>
#include <vector>

namespace velsaro::cli {

struct CatalogueMatch {
    std::string path;
    int distance = 0;
    bool operator==(const CatalogueMatch&) const = default;
};

// For each query, the catalogue's pictures within maxDistance bits, nearest first, then by path. A
// picture whose file is gone since it was keyed is left out; an imported one is listed as it is.
std::vector<std::vector<CatalogueMatch>> searchCatalogue(PictureTable& pictures, std::span<const PackedKey> queries,
                                                         int maxDistance);

} // namespace velsaro::cli
