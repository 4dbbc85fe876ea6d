#include "catalogue/key_block_table.h"

#include <cstring>

namespace velsaro::detail {

namespace {

struct Place {
    std::int64_t row;
    int block;   // within the row
    int slot;    // within the block
};

Place placeOf(std::int64_t number)
{
    const std::int64_t within = number % keysPerRow;
    return {number / keysPerRow, int(within / std::int64_t(keysPerBlock)), int(within % std::int64_t(keysPerBlock))};
}

int blockOffset(int block)
{
    return block * int(sizeof(KeyBlock));
}

int inUseOffset(int block)
{
    return int(blocksPerRow * std::int64_t(sizeof(KeyBlock))) + block;
}

// The row of bytes as a KeyRow of the pictures from firstNumber.
void copyRow(std::string_view bytes, std::int64_t firstNumber, KeyRow& row)
{
    row.firstNumber = firstNumber;
    row.blocks.resize(std::size_t(blocksPerRow));
    row.inUse.resize(std::size_t(blocksPerRow));
    std::memcpy(row.blocks.data(), bytes.data(), row.blocks.size() * sizeof(KeyBlock));
    std::memcpy(row.inUse.data(), bytes.data() + inUseOffset(0), row.inUse.size());
}

} // namespace

std::string keyBlockTableSql(const std::string& table)
{
    return "CREATE TABLE " + table + " (block INTEGER PRIMARY KEY, keys BLOB NOT NULL)";
}

std::string keyColumnsSql(const std::string& number, const std::string& table)
{
    const std::string block = "((" + number + ") % " + std::to_string(keysPerRow) + ") / " + std::to_string(keysPerBlock);
    return "substr(" + table + ".keys, " + block + " * " + std::to_string(sizeof(KeyBlock)) + " + 1, " +
           std::to_string(sizeof(KeyBlock)) + "), substr(" + table + ".keys, " + std::to_string(inUseOffset(0)) +
           " + " + block + " + 1, 1)";
}

std::string keyJoinSql(const std::string& number, const std::string& table)
{
    return "LEFT JOIN " + table + " ON " + table + ".block = (" + number + ") / " + std::to_string(keysPerRow);
}

std::optional<PackedKey> keyOfColumns(const Statement& row, int firstColumn, std::int64_t number)
{
    const std::string_view bytes = row.bytes(firstColumn);
    const std::string_view inUse = row.bytes(firstColumn + 1);
    const Place place = placeOf(number);
    if (bytes.size() != sizeof(KeyBlock) || inUse.size() != 1 || ((std::uint8_t(inUse[0]) >> place.slot) & 1) == 0)
        return std::nullopt;
    KeyBlock block;
    std::memcpy(&block, bytes.data(), sizeof block);
    return block.key(std::size_t(place.slot));
}

KeyBlockTable::KeyBlockTable(const Connection& connection, const std::string& table)
    : connection_(connection), table_(table),
      addRow_(connection, "INSERT OR IGNORE INTO " + table + " (block, keys) VALUES (?1, zeroblob(" +
                              std::to_string(keyBlockRowBytes) + "))"),
      readKey_(connection, "SELECT " + keyColumnsSql("?1", table) + " FROM " + table + " WHERE block = ?1 / " +
                               std::to_string(keysPerRow)),
      readRow_(connection, "SELECT keys FROM " + table + " WHERE block = ?1")
{
}

std::optional<PackedKey> KeyBlockTable::key(std::int64_t number) const
{
    readKey_.bind(1, number);
    if (!readKey_.step())
        return std::nullopt; // no row: no key
    const std::optional<PackedKey> key = keyOfColumns(readKey_, 0, number);
    readKey_.reset();
    return key;
}

void KeyBlockTable::put(std::int64_t number, const PackedKey& key)
{
    const Place place = placeOf(number);
    addRow_.bind(1, place.row).step();
    const Blob blob(connection_, table_.c_str(), "keys", place.row, true);
    KeyBlock block;
    std::uint8_t inUse = 0;
    blob.read(&block, int(sizeof block), blockOffset(place.block));
    blob.read(&inUse, 1, inUseOffset(place.block));
    block.place(std::size_t(place.slot), key);
    inUse = std::uint8_t(inUse | 1u << place.slot);
    blob.write(&block, int(sizeof block), blockOffset(place.block));
    blob.write(&inUse, 1, inUseOffset(place.block));
}

void KeyBlockTable::putSorted(std::span<const std::pair<std::int64_t, PackedKey>> keys)
{
    for (std::size_t first = 0; first < keys.size();) {
        const std::int64_t row = keys[first].first / keysPerRow;
        std::size_t end = first + 1;
        while (end < keys.size() && keys[end].first / keysPerRow == row)
            ++end;
        putInRow(row, keys.subspan(first, end - first));
        first = end;
    }
}

void KeyBlockTable::putInRow(std::int64_t row, std::span<const std::pair<std::int64_t, PackedKey>> keys)
{
    addRow_.bind(1, row).step();
    const Blob blob(connection_, table_.c_str(), "keys", row, true);
    auto bytes = std::vector<unsigned char>(std::size_t(keyBlockRowBytes));
    blob.read(bytes.data(), keyBlockRowBytes, 0);
    for (const auto& [number, key] : keys) {
        const Place place = placeOf(number);
        KeyBlock block;
        std::memcpy(&block, bytes.data() + blockOffset(place.block), sizeof block);
        block.place(std::size_t(place.slot), key);
        std::memcpy(bytes.data() + blockOffset(place.block), &block, sizeof block);
        bytes[std::size_t(inUseOffset(place.block))] |= std::uint8_t(1u << place.slot);
    }
    blob.write(bytes.data(), keyBlockRowBytes, 0);
}

void KeyBlockTable::remove(std::int64_t number)
{
    if (!key(number))
        return; // nothing stored, perhaps not even its row
    const Place place = placeOf(number);
    const Blob blob(connection_, table_.c_str(), "keys", place.row, true);
    std::uint8_t inUse = 0;
    blob.read(&inUse, 1, inUseOffset(place.block));
    inUse = std::uint8_t(inUse & ~(1u << place.slot));
    blob.write(&inUse, 1, inUseOffset(place.block));
}

void KeyBlockTable::forEachRow(const std::function<void(const KeyRow&)>& visit) const
{
    Statement rows(connection_, "SELECT block, keys FROM " + table_ + " ORDER BY block");
    KeyRow row;
    while (rows.step()) {
        const std::string_view bytes = rows.bytes(1);
        if (bytes.size() != std::size_t(keyBlockRowBytes))
            continue;
        copyRow(bytes, rows.number(0) * keysPerRow, row);
        visit(row);
    }
}

std::optional<KeyRow> KeyBlockTable::row(std::int64_t row) const
{
    std::optional<KeyRow> read;
    if (readRow_.bind(1, row).step() && readRow_.bytes(0).size() == std::size_t(keyBlockRowBytes))
        copyRow(readRow_.bytes(0), row * keysPerRow, read.emplace());
    readRow_.reset();
    return read;
}

} // namespace velsaro::detail
