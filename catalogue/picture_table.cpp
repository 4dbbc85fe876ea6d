#include "catalogue/picture_table.h"

#include <bit>
#include <cstring>

namespace velsaro::detail {

namespace {

constexpr const char* recordColumns = "id, path, size, modified, changed, inode, device, keyed, averages";

// A record is stored by an insert that a path already there leaves undone, and then by an update of
// that path. Both go "OR IGNORE", which cannot fail part of the way: a statement that could (an
// upsert does) makes SQLite first copy every page it changes to a statement journal, 128 KiB per
// record with the catalogue's 64 KiB pages.
constexpr const char* insertSql =
    "INSERT OR IGNORE INTO pictures (path, size, modified, changed, inode, device, keyed, averages) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) RETURNING id";

std::string updateSql(bool onlyOverOlder)
{
    std::string sql = "UPDATE OR IGNORE pictures SET size = ?2, modified = ?3, changed = ?4, inode = ?5, "
                      "device = ?6, keyed = ?7, averages = ?8 WHERE path = ?1";
    if (onlyOverOlder)
        sql += " AND coalesce(?3, -1) > coalesce(modified, -1)";
    return sql + " RETURNING id";
}

std::string encodedAverages(const LevelAverages& averages)
{
    std::string bytes;
    for (double value : averages) {
        const auto bits = std::bit_cast<std::uint64_t>(value);
        for (int b = 0; b < 8; ++b)
            bytes += char((bits >> (8 * b)) & 0xff);
    }
    return bytes;
}

// The fields of a row of recordColumns but the key.
PictureRecord recordFields(const Statement& row)
{
    PictureRecord record{std::string(row.bytes(1)), std::nullopt, std::nullopt, std::nullopt, {}, std::nullopt};
    bool whole = true;
    for (int column = 2; column <= 7; ++column)
        whole = whole && !row.isNull(column);
    if (whole)
        record.identity = FileIdentity{row.number(2), row.number(3), row.number(4),
                                       row.number(5), row.number(6), row.number(7)};
    if (!row.isNull(2))
        record.size = row.number(2);
    if (!row.isNull(3))
        record.modified = row.number(3);
    record.averages = decodedAverages(row.bytes(8));
    return record;
}

void bindIdentity(Statement& statement, const PictureRecord& record)
{
    if (const std::optional<FileIdentity>& identity = record.identity) {
        statement.bind(2, identity->size).bind(3, identity->modified).bind(4, identity->changed);
        statement.bind(5, identity->inode).bind(6, identity->device).bind(7, identity->keyed);
        return;
    }
    for (int column = 2; column <= 7; ++column)
        statement.bindNull(column);
    if (record.size)
        statement.bind(2, *record.size);
    if (record.modified)
        statement.bind(3, *record.modified);
}

} // namespace

std::optional<LevelAverages> decodedAverages(std::string_view bytes)
{
    LevelAverages averages{};
    if (bytes.size() != sizeof averages)
        return std::nullopt;
    for (std::size_t i = 0; i < averages.size(); ++i) {
        std::uint64_t bits = 0;
        for (std::size_t b = 0; b < 8; ++b)
            bits |= std::uint64_t(std::uint8_t(bytes[i * 8 + b])) << (8 * b);
        averages[i] = std::bit_cast<double>(bits);
    }
    return averages;
}

PictureTable::PictureTable(const Connection& connection)
    : connection_(connection), keys_(connection),
      byPath_(connection, std::string("SELECT ") + recordColumns + ", " + keyColumnsSql("pictures.id") +
                              " FROM pictures " + keyJoinSql("pictures.id") + " WHERE path = ?1"),
      insert_(connection, insertSql), update_(connection, updateSql(false)),
      updateOverOlder_(connection, updateSql(true)),
      remove_(connection, "DELETE FROM pictures WHERE id = ?1 AND path = ?2 RETURNING id")
{
}

std::optional<PictureRecord> PictureTable::find(const std::string& path)
{
    byPath_.bindBytes(1, path);
    return recordOf(byPath_);
}

// Reads the statement's row, if any, and resets it at once: a statement left on a row would hold the
// connection's view of the file, and a later write would fail on another run's newer commits.
std::optional<PictureRecord> PictureTable::recordOf(Statement& statement)
{
    if (!statement.step())
        return std::nullopt;
    const std::int64_t number = statement.number(0);
    PictureRecord record = recordFields(statement);
    const std::optional<PackedKey> key = keyOfColumns(statement, 9, number);
    statement.reset();
    if (!key)
        return std::nullopt;
    record.key = *key;
    return record;
}

void PictureTable::put(const PictureRecord& record, bool onlyOverOlder)
{
    if (const std::optional<std::int64_t> number = putRecord(record, onlyOverOlder))
        keys_.put(*number, record.key);
}

std::optional<std::int64_t> PictureTable::putRecord(const PictureRecord& record, bool onlyOverOlder)
{
    if (const std::optional<std::int64_t> number = stepped(insert_, record))
        return number;
    return stepped(onlyOverOlder ? updateOverOlder_ : update_, record); // none: an older record than the one kept
}

std::optional<std::int64_t> PictureTable::stepped(Statement& statement, const PictureRecord& record)
{
    statement.bindBytes(1, record.path);
    bindIdentity(statement, record);
    if (record.averages)
        statement.bindBytes(8, encodedAverages(*record.averages));
    else
        statement.bindNull(8);
    if (!statement.step())
        return std::nullopt;
    const std::int64_t number = statement.number(0);
    statement.reset();
    return number;
}

// Row by row of keys: the records of the row's numbers, each with its key from the row.
void PictureTable::forEachRecord(const std::function<void(const PictureRecord&)>& visit)
{
    Statement inRow(connection_, std::string("SELECT ") + recordColumns + " FROM pictures WHERE id BETWEEN ?1 AND ?2 ORDER BY id");
    keys_.forEachRow([&](const KeyRow& row) {
        inRow.bind(1, row.firstNumber).bind(2, row.firstNumber + keysPerRow - 1);
        while (inRow.step()) {
            const std::size_t slot = std::size_t(inRow.number(0) - row.firstNumber);
            if (!row.holds(slot))
                continue;
            PictureRecord record = recordFields(inRow);
            record.key = row.blocks[slot / keysPerBlock].key(slot % keysPerBlock);
            visit(record);
        }
    });
}

bool PictureTable::remove(std::int64_t number, const std::string& path)
{
    remove_.bind(1, number).bindBytes(2, path);
    const bool removed = remove_.step();
    remove_.reset();
    if (removed)
        keys_.remove(number);
    return removed;
}

} // namespace velsaro::detail
