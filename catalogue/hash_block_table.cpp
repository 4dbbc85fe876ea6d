#include "catalogue/hash_block_table.h"

#include <cstring>

namespace velsaro::detail {

namespace {

constexpr int inUseOffset = int(keysPerRow * 8);

} // namespace

std::string hashBlockTableSql(const std::string& table)
{
    return "CREATE TABLE " + table + " (block INTEGER PRIMARY KEY, hashes BLOB NOT NULL)";
}

std::string sketchBlockTableSql(const std::string& table)
{
    return "CREATE TABLE " + table + " (block INTEGER PRIMARY KEY, sketches BLOB NOT NULL)";
}

HashBlockTable::HashBlockTable(const Connection& connection, bool fitted)
    : connection_(connection), table_(fitted ? fittedHashTable : plainHashTable),
      sketchTable_(fitted ? fittedSketchTable : plainSketchTable),
      addRow_(connection, "INSERT OR IGNORE INTO " + table_ + " (block, hashes) VALUES (?1, zeroblob(" +
                              std::to_string(hashRowBytes) + "))"),
      addSketchRow_(connection, "INSERT OR IGNORE INTO " + sketchTable_ + " (block, sketches) VALUES (?1, zeroblob(" +
                                    std::to_string(sketchRowBytes) + "))"),
      readRow_(connection, "SELECT hashes FROM " + table_ + " WHERE block = ?1"),
      readSketches_(connection, "SELECT sketches FROM " + sketchTable_ + " WHERE block = ?1")
{
}

void HashBlockTable::put(std::int64_t number, const Fingerprint& fingerprint)
{
    const std::int64_t slot = number % keysPerRow;
    addRow_.bind(1, number / keysPerRow).step();
    const Blob blob(connection_, table_.c_str(), "hashes", number / keysPerRow, true);
    std::uint8_t inUse = 0;
    blob.read(&inUse, 1, inUseOffset + int(slot / 8));
    inUse = std::uint8_t(inUse | 1u << (slot % 8));
    blob.write(&fingerprint.hash, 8, int(slot * 8));
    blob.write(&inUse, 1, inUseOffset + int(slot / 8));
    addSketchRow_.bind(1, number / keysPerRow).step();
    const GreySketch sketch = greySketchOf(fingerprint);
    Blob(connection_, sketchTable_.c_str(), "sketches", number / keysPerRow, true)
        .write(sketch.data(), int(sketch.size()), int(slot * std::int64_t(sizeof sketch)));
}

void HashBlockTable::remove(std::int64_t number)
{
    const std::int64_t slot = number % keysPerRow;
    readRow_.bind(1, number / keysPerRow);
    const bool there = readRow_.step();
    readRow_.reset();
    if (!there)
        return;
    const Blob blob(connection_, table_.c_str(), "hashes", number / keysPerRow, true);
    std::uint8_t inUse = 0;
    blob.read(&inUse, 1, inUseOffset + int(slot / 8));
    inUse = std::uint8_t(inUse & ~(1u << (slot % 8)));
    blob.write(&inUse, 1, inUseOffset + int(slot / 8));
}

void HashBlockTable::removeSorted(std::span<const std::int64_t> numbers)
{
    for (std::size_t first = 0; first < numbers.size();) {
        const std::int64_t row = numbers[first] / keysPerRow;
        std::size_t end = first + 1;
        while (end < numbers.size() && numbers[end] / keysPerRow == row)
            ++end;
        readRow_.bind(1, row);
        const bool there = readRow_.step();
        readRow_.reset();
        if (there) {
            const Blob blob(connection_, table_.c_str(), "hashes", row, true);
            std::vector<std::uint8_t> inUse(static_cast<std::size_t>(blocksPerRow));
            blob.read(inUse.data(), int(inUse.size()), inUseOffset);
            for (std::size_t n = first; n < end; ++n)
                inUse[std::size_t(numbers[n] % keysPerRow / 8)] &= std::uint8_t(~(1u << (numbers[n] % 8)));
            blob.write(inUse.data(), int(inUse.size()), inUseOffset);
        }
        first = end;
    }
}

std::optional<HashRow> HashBlockTable::row(std::int64_t row) const
{
    std::optional<HashRow> read;
    if (readRow_.bind(1, row).step() && readRow_.bytes(0).size() == std::size_t(hashRowBytes)) {
        const std::string_view bytes = readRow_.bytes(0);
        HashRow& hashes = read.emplace(HashRow{row * keysPerRow, std::vector<std::uint64_t>(std::size_t(keysPerRow)),
                                               std::vector<std::uint8_t>(std::size_t(blocksPerRow))});
        std::memcpy(hashes.hashes.data(), bytes.data(), std::size_t(inUseOffset));
        std::memcpy(hashes.inUse.data(), bytes.data() + inUseOffset, hashes.inUse.size());
    }
    readRow_.reset();
    return read;
}

std::vector<GreySketch> HashBlockTable::sketches(std::int64_t row) const
{
    std::vector<GreySketch> sketches(static_cast<std::size_t>(keysPerRow));
    if (readSketches_.bind(1, row).step() && readSketches_.bytes(0).size() == std::size_t(sketchRowBytes))
        std::memcpy(sketches.data(), readSketches_.bytes(0).data(), std::size_t(sketchRowBytes));
    readSketches_.reset();
    return sketches;
}

} // namespace velsaro::detail
