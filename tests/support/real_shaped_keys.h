// Keys shaped like those of photographs, for the tests and benchmarks of near-key searches: uniform
// random keys spread far more evenly than real ones and hide what real collections cost.
#pragma once

#include "engine/key_engine.h"

#include <QImage>

#include <cstddef>
#include <string>
#include <vector>

namespace velsaro::testing {

// Each level's nine codes come together from the key of a crop of a photo-like picture (sky, ground,
// faces and foliage with film grain) taken at a random offset and scale; three crops make a key. About
// three keys in ten are near copies of an earlier key, a few of its comparisons turned. The same seed
// gives the same keys.
std::vector<KeyCodes> realShapedKeys(std::size_t count, unsigned seed);

// The same keys with, for each, the number of the key it is a near copy of (its own for an original).
struct ShapedKeys {
    std::vector<KeyCodes> keys;
    std::vector<std::size_t> origins;
};
ShapedKeys realShapedKeysWithOrigins(std::size_t count, unsigned seed);

// A picture painted as those keys' photos are (sky over ground, shaded ellipses, film grain), at any size.
QImage photoLikePicture(int width, int height, unsigned seed);

// How unevenly keys spread: the share of the most common value of each 12-bit segment (least and
// most over the 18 segments), the bits that take one value in over 90 % of the keys, and the sum of
// the bits' entropies.
struct KeySkew {
    double leastTopShare = 0;
    double mostTopShare = 0;
    int bitsOver90 = 0;
    double entropyBits = 0;
};
KeySkew keySkew(const std::vector<KeyCodes>& keys);
std::string describe(const KeySkew& skew);

} // namespace velsaro::testing
