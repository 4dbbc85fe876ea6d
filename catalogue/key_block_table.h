// The catalogue's keys, packed for the vector scan: table key_blocks holds, per row, the keys of
// keysPerRow consecutive picture numbers as KeyBlock lays them out, then a byte per block telling
// which of its slots hold a key. A search reads every row once and scans it in place.
#pragma once

#include "catalogue/sqlite_handles.h"
#include "engine/key_distance.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace velsaro::detail {

// 252 blocks of eight keys and their 252 bytes of slots in use: 64,764 bytes, one page of a new
// catalogue's 64 KiB pages, so that a search reads the keys in few large reads.
inline constexpr std::int64_t blocksPerRow = 252;
inline constexpr std::int64_t keysPerRow = blocksPerRow * std::int64_t(keysPerBlock);
inline constexpr int keyBlockRowBytes = int(blocksPerRow * (sizeof(KeyBlock) + 1));

// Picture numbers run from 0 to below numberLimit, in whole rows of keys below rowLimit: a search holds
// a match's number in 48 bits. Only a damaged file holds others.
inline constexpr std::int64_t rowLimit = (std::int64_t(1) << 48) / keysPerRow;
inline constexpr std::int64_t numberLimit = rowLimit * keysPerRow;

// The statement that makes table.
std::string keyBlockTableSql(const std::string& table);

// One row of keys, copied out of the table into aligned memory.
struct KeyRow {
    std::int64_t firstNumber = 0; // the picture number of slot 0
    std::vector<KeyBlock> blocks;
    std::vector<std::uint8_t> inUse; // per block, bit k for slot k

    bool holds(std::size_t slot) const { return (inUse[slot / keysPerBlock] >> (slot % keysPerBlock)) & 1; }
};

// The tables of plain keys and of fitted keys (--fit), of one layout.
inline constexpr const char* plainKeyTable = "key_blocks";
inline constexpr const char* fittedKeyTable = "fitted_key_blocks";

// SQL for two columns that give the block and the byte of slots in use of the picture whose number
// is the expression number, with the join to table they need: a record and its key in one read.
std::string keyColumnsSql(const std::string& number, const std::string& table = plainKeyTable);
std::string keyJoinSql(const std::string& number, const std::string& table = plainKeyTable);
// The key from those two columns of a row, if the slot holds one.
std::optional<PackedKey> keyOfColumns(const Statement& row, int firstColumn, std::int64_t number);

class KeyBlockTable {
public:
    explicit KeyBlockTable(const Connection& connection, const std::string& table = plainKeyTable);

    // The key of picture number, if one is stored.
    std::optional<PackedKey> key(std::int64_t number) const;
    void put(std::int64_t number, const PackedKey& key);
    // Many keys at once, numbers ascending: each row read and written once.
    void putSorted(std::span<const std::pair<std::int64_t, PackedKey>> keys);
    // Nothing when number has no key.
    void remove(std::int64_t number);

    // Every row in order of numbers.
    void forEachRow(const std::function<void(const KeyRow&)>& visit) const;
    // Row number row (of the pictures from row * keysPerRow), if there is one.
    std::optional<KeyRow> row(std::int64_t row) const;

private:
    void putInRow(std::int64_t row, std::span<const std::pair<std::int64_t, PackedKey>> keys);

    const Connection& connection_;
    std::string table_;
    Statement addRow_;
    mutable Statement readKey_;
    mutable Statement readRow_;
};

} // namespace velsaro::detail
