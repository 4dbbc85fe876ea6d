// The key scan's builds behind plain signatures, one per CPU target, picked in kernel_dispatch.cpp.
#pragma once

#include "engine/key_distance.h"

namespace velsaro::detail {

// Blocks as KeyBlock lays them out, queries as PackedKey does, hits as KeyHit triples.
using KeysWithin = unsigned long(const std::uint64_t* blocks, unsigned long keyCount, const std::uint64_t* queries,
                                 unsigned long queryCount, int maxDistance, std::uint32_t* hits);
// keyCount when no key is within reach.
using FirstKeyWithin = unsigned long(const std::uint64_t* blocks, unsigned long keyCount, const std::uint64_t* query,
                                     int maxDistance);

// The distance between two keys laid out as PackedKey lays them out.
using PairDistance = unsigned(const std::uint64_t* a, const std::uint64_t* b);

struct ScanBuild {
    KeysWithin* keysWithin;
    FirstKeyWithin* firstKeyWithin;
    PairDistance* distance;
};

// The build of kernel; Best is the fastest this CPU runs, and a build missing here gives Portable.
ScanBuild scanKernel(ScanKernel kernel);

} // namespace velsaro::detail
