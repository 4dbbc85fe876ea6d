// The catalogue's fingerprint hashes, packed for the popcount scan beside the keys: a table per kind
// of key holds, per row, the 64-bit hashes of the same keysPerRow picture numbers as a row of keys,
// then a byte per eight of them telling which are stored; another holds their grey sketches
// (likeness/near_copy.h), read only for rows with pictures found by key. The fingerprints' grey
// levels stay in the records, read only for the pictures a search keeps.
#pragma once

#include "catalogue/key_block_table.h"
#include "likeness/near_copy.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velsaro::detail {

inline constexpr const char* plainHashTable = "hash_blocks";
inline constexpr const char* fittedHashTable = "fitted_hash_blocks";
inline constexpr const char* plainSketchTable = "sketch_blocks";
inline constexpr const char* fittedSketchTable = "fitted_sketch_blocks";
inline constexpr int hashRowBytes = int(keysPerRow * 8 + blocksPerRow);
inline constexpr int sketchRowBytes = int(keysPerRow * std::int64_t(sizeof(GreySketch)));

std::string hashBlockTableSql(const std::string& table);
std::string sketchBlockTableSql(const std::string& table);

struct HashRow {
    std::int64_t firstNumber = 0;
    std::vector<std::uint64_t> hashes;
    std::vector<std::uint8_t> inUse; // per eight hashes, bit k for the k-th

    bool holds(std::size_t slot) const { return (inUse[slot / 8] >> (slot % 8)) & 1; }
};

class HashBlockTable {
public:
    // Of the fitted keys or the plain ones.
    HashBlockTable(const Connection& connection, bool fitted);

    void put(std::int64_t number, const Fingerprint& fingerprint);
    // Nothing when number has no row.
    void remove(std::int64_t number);
    // Many at once, numbers ascending: each row read and written once.
    void removeSorted(std::span<const std::int64_t> numbers);
    // Row number row, if there is one.
    std::optional<HashRow> row(std::int64_t row) const;
    // The grey sketches of row number row, all zero where none is stored.
    std::vector<GreySketch> sketches(std::int64_t row) const;

private:
    const Connection& connection_;
    std::string table_;
    std::string sketchTable_;
    Statement addRow_;
    Statement addSketchRow_;
    mutable Statement readRow_;
    mutable Statement readSketches_;
};

} // namespace velsaro::detail
