// Grouping pictures whose keys lie within a number of bits of their group's first picture, and the
// table of distances between pictures.
#pragma once

#include "engine/key_distance.h"
#include "picture/fingerprint.h"

#include <string>
#include <vector>

namespace velsaro::cli {

struct KeyedPicture {
    KeyCodes codes{};
    std::string path;
    Fingerprint fingerprint{}; // of what the key read; used by the confirmed grouping only
};

struct NearGroup {
    std::string keyText; // the key of the group's first picture
    std::vector<std::string> paths;
    std::vector<int> distances; // of each picture to the first, in the order of paths
    // Confirmed groups only: each picture's hash distance and grey correlation to the first.
    std::vector<int> hashDistances = {};
    std::vector<double> greyCorrelations = {};
};

// Each picture, in order, joins the first group, in order of creation, whose first picture's key is
// within maxDistance bits of its own; otherwise it starts a new group. With 0 the groups are those of
// equal keys. jobs threads share the work; the groups do not depend on their number.
std::vector<NearGroup> nearGroups(const std::vector<KeyedPicture>& pictures, int maxDistance, int jobs);

// As nearGroups, but a picture joins a group only when it is a near copy of its first picture.
std::vector<NearGroup> confirmedNearGroups(const std::vector<KeyedPicture>& pictures, int maxDistance, int jobs);

// A grey correlation as the outputs show it: three decimals.
std::string correlationText(double correlation);

// The distance between every two of some keyed pictures.
struct DistanceMatrix {
    std::vector<std::string> paths;
    std::vector<std::vector<int>> distances; // [row][column], row and column in the order of paths
};

DistanceMatrix distanceMatrix(const std::vector<KeyedPicture>& pictures);

} // namespace velsaro::cli
