// What --near, --matrix and --find write: groups with each picture's distance to the group's first,
// the table of distances between pictures, and the catalogue's pictures near each query, as text
// and as JSON.
#pragma once

#include "cli/batch.h"
#include "cli/catalogue.h"
#include "cli/near_groups.h"
#include "cli/text_output.h"

#include <string>
#include <vector>

namespace velsaro::cli {

// The groups of equal keys, as the grouping without --near writes them.
std::vector<KeyGroup> keyGroupsOf(const std::vector<NearGroup>& groups);

// A blank line, then per group its heading and one line per picture: its distance to the group's
// first picture, right-aligned in three places after an indent of two, two spaces and the path as
// groupsText lists it.
std::string nearGroupsText(const std::vector<NearGroup>& groups);

// [{"key", "paths", "distances"}, ...]
std::string jsonGroups(const std::vector<NearGroup>& groups);

struct DistanceMatrix {
    std::vector<std::string> paths;
    std::vector<std::vector<int>> distances; // [row][column], row and column in the order of paths
};

DistanceMatrix distanceMatrix(const std::vector<std::string>& paths, const std::vector<KeyCodes>& codes);

// A blank line, "Distancias en bits:", a heading row of column numbers and one row per picture: its
// number, its distance to every picture and its path.
std::string matrixText(const DistanceMatrix& matrix);

// {"paths": [...], "distances": [[...], ...]}
std::string jsonMatrix(const DistanceMatrix& matrix);

// The query's key line followed by one line per match as nearGroupsText writes a group's pictures.
std::string findText(const PictureResult& query, const std::vector<CatalogueMatch>& matches);

// {"path", "key", "matches": [{"path", "distance"}, ...]}, or {"path", "error"} for a picture that
// could not be keyed.
std::string jsonQuery(const PictureResult& query, const std::vector<CatalogueMatch>& matches);

} // namespace velsaro::cli
