// The catalogue's fingerprint hashes, packed for the popcount scan beside the keys: a table per kind
// of key holds, per row, the 64-bit hashes of the same keysPerRow picture numbers as a row of keys,
// then a byte per eight of them telling which are stored. The fingerprints' grey levels stay in the
// records, read only for the pictures a search has found.
#pragma once

#include "catalogue/key_block_table.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velsaro::detail {

inline constexpr const char* plainHashTable = "hash_blocks";
inline constexpr const char* fittedHashTable = "fitted_hash_blocks";
inline constexpr int hashRowBytes = int(keysPerRow * 8 + blocksPerRow);

std::string hashBlockTableSql(const std::string& table);

struct HashRow {
    std::int64_t firstNumber = 0;
    std::vector<std::uint64_t> hashes;
    std::vector<std::uint8_t> inUse; // per eight hashes, bit k for the k-th

    bool holds(std::size_t slot) const { return (inUse[slot / 8] >> (slot % 8)) & 1; }
};

class HashBlockTable {
public:
    HashBlockTable(const Connection& connection, const std::string& table);

    void put(std::int64_t number, std::uint64_t hash);
    // Nothing when number has no row.
    void remove(std::int64_t number);
    // Many at once, numbers ascending: each row read and written once.
    void removeSorted(std::span<const std::int64_t> numbers);
    // Row number row, if there is one.
    std::optional<HashRow> row(std::int64_t row) const;

private:
    const Connection& connection_;
    std::string table_;
    Statement addRow_;
    mutable Statement readRow_;
};

} // namespace velsaro::detail
