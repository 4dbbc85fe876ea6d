// Grouping pictures whose keys lie within a number of bits of their group's first picture, and the
// table of distances between pictures.
#pragma once

#include "engine/key_distance.h"

#include <string>
#include <vector>

namespace velsaro::cli {

struct KeyedPicture {
    KeyCodes codes{};
    std::string path;
};

struct NearGroup {
    std::string keyText; // the key of the group's first picture
    std::vector<std::string> paths;
    std::vector<int> distances; // of each picture to the first, in the order of paths
};

// Each picture, in order, joins the first group, in order of creation, whose first picture's key is
// within maxDistance bits of its own; otherwise it starts a new group. With 0 the groups are those of
// equal keys. jobs threads share the work; the groups do not depend on their number.
std::vector<NearGroup> nearGroups(const std::vector<KeyedPicture>& pictures, int maxDistance, int jobs);

// The distance between every two of some keyed pictures.
struct DistanceMatrix {
    std::vector<std::string> paths;
    std::vector<std::vector<int>> distances; // [row][column], row and column in the order of paths
};

DistanceMatrix distanceMatrix(const std::vector<KeyedPicture>& pictures);

} // namespace velsaro::cli
