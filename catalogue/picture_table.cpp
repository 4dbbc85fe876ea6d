#include "catalogue/picture_table.h"

#include <bit>
#include <cstring>

namespace velsaro::detail {

namespace {

constexpr const char* identityColumns = "id, path, size, modified, changed, inode, device, keyed, averages";
constexpr const char* keyingColumns = ", fingerprint, fitted_averages, fitted_fingerprint";
constexpr int fittedKeyColumn = 14; // after the record's columns and the plain key's two

// A record is stored by an insert that a path already there leaves undone, and then by an update of
// that path. Both go "OR IGNORE", which cannot fail part of the way: a statement that could (an
// upsert does) makes SQLite first copy every page it changes to a statement journal, 128 KiB per
// record with the catalogue's 64 KiB pages.
constexpr const char* insertSql =
    "INSERT OR IGNORE INTO pictures (path, size, modified, changed, inode, device, keyed, averages, fingerprint, "
    "fitted_averages, fitted_fingerprint) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11) RETURNING id";

std::string updateSql(bool onlyOverOlder)
{
    std::string sql = "UPDATE OR IGNORE pictures SET size = ?2, modified = ?3, changed = ?4, inode = ?5, "
                      "device = ?6, keyed = ?7, averages = ?8, fingerprint = ?9, fitted_averages = ?10, "
                      "fitted_fingerprint = ?11 WHERE path = ?1";
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

// A keying from its key (if stored) and the columns of its averages and fingerprint; a fitted one only
// whole.
std::optional<StoredKeying> keyingOf(const std::optional<PackedKey>& key, const Statement& row, int averages, bool fitted)
{
    if (!key)
        return std::nullopt;
    StoredKeying keying{*key, decodedAverages(row.bytes(averages)), decodedFingerprint(row.bytes(averages + 1))};
    if (fitted && (!keying.averages || !keying.fingerprint))
        return std::nullopt;
    return keying;
}

// The fields of a row of the record's columns but the keys.
PictureRecord recordFields(const Statement& row)
{
    PictureRecord record{std::string(row.bytes(1)), std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
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

template <typename Value, typename Encode>
void bindOptional(Statement& statement, int index, const std::optional<Value>& value, Encode encode)
{
    if (value)
        statement.bindBytes(index, encode(*value));
    else
        statement.bindNull(index);
}

void bindKeyings(Statement& statement, const PictureRecord& record)
{
    const StoredKeying none{};
    const StoredKeying& plain = record.plain ? *record.plain : none;
    const StoredKeying& fitted = record.fitted ? *record.fitted : none;
    bindOptional(statement, 8, plain.averages, encodedAverages);
    bindOptional(statement, 9, plain.fingerprint, encodedFingerprint);
    bindOptional(statement, 10, fitted.averages, encodedAverages);
    bindOptional(statement, 11, fitted.fingerprint, encodedFingerprint);
}

// The key of picture number from the row of a table it falls in, each row read once as numbers ascend.
class KeyRowCursor {
public:
    explicit KeyRowCursor(const KeyBlockTable* table) : table_(table) {}

    std::optional<PackedKey> key(std::int64_t number)
    {
        if (!table_)
            return std::nullopt;
        if (number / keysPerRow != rowNumber_) {
            rowNumber_ = number / keysPerRow;
            row_ = table_->row(rowNumber_);
        }
        const std::size_t slot = std::size_t(number % keysPerRow);
        if (!row_ || !row_->holds(slot))
            return std::nullopt;
        return row_->blocks[slot / keysPerBlock].key(slot % keysPerBlock);
    }

private:
    const KeyBlockTable* table_;
    std::int64_t rowNumber_ = -1;
    std::optional<KeyRow> row_;
};

} // namespace

std::string encodedFingerprint(const Fingerprint& fingerprint)
{
    std::string bytes(8 + fingerprint.grey.size(), '\0');
    for (int b = 0; b < 8; ++b)
        bytes[std::size_t(b)] = char((fingerprint.hash >> (8 * b)) & 0xff);
    std::memcpy(bytes.data() + 8, fingerprint.grey.data(), fingerprint.grey.size());
    return bytes;
}

std::optional<Fingerprint> decodedFingerprint(std::string_view bytes)
{
    Fingerprint fingerprint;
    if (bytes.size() != 8 + fingerprint.grey.size())
        return std::nullopt;
    for (std::size_t b = 0; b < 8; ++b)
        fingerprint.hash |= std::uint64_t(std::uint8_t(bytes[b])) << (8 * b);
    std::memcpy(fingerprint.grey.data(), bytes.data() + 8, fingerprint.grey.size());
    return fingerprint;
}

std::string fingerprintColumn(bool fitted, int format)
{
    return format < 3 ? "NULL" : fitted ? "fitted_fingerprint" : "fingerprint";
}

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
    : keys_(connection), fittedKeys_(connection, fittedKeyTable),
      hashes_(connection, false), fittedHashes_(connection, true),
      byPath_(connection, std::string("SELECT ") + identityColumns + keyingColumns + ", " +
                              keyColumnsSql("pictures.id") + ", " + keyColumnsSql("pictures.id", fittedKeyTable) +
                              " FROM pictures " + keyJoinSql("pictures.id") + " " +
                              keyJoinSql("pictures.id", fittedKeyTable) + " WHERE path = ?1"),
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
    record.plain = keyingOf(keyOfColumns(statement, fittedKeyColumn - 2, number), statement, 8, false);
    record.fitted = keyingOf(keyOfColumns(statement, fittedKeyColumn, number), statement, 10, true);
    statement.reset();
    return record;
}

void PictureTable::put(const PictureRecord& record, bool onlyOverOlder)
{
    if (const std::optional<std::int64_t> number = putRecord(record, onlyOverOlder)) {
        putKeying(*number, record.plain, keys_, hashes_);
        putKeying(*number, record.fitted, fittedKeys_, fittedHashes_);
    }
}

void PictureTable::putKeying(std::int64_t number, const std::optional<StoredKeying>& keying, KeyBlockTable& keys,
                             HashBlockTable& hashes)
{
    if (keying)
        keys.put(number, keying->key);
    else
        keys.remove(number);
    if (keying && keying->fingerprint)
        hashes.put(number, *keying->fingerprint);
    else
        hashes.remove(number);
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
    bindKeyings(statement, record);
    if (!statement.step())
        return std::nullopt;
    const std::int64_t number = statement.number(0);
    statement.reset();
    return number;
}

// In order of numbers, each record with its keys from the rows they fall in.
void forEachRecord(const Connection& connection, int format, const std::function<void(const PictureRecord&)>& visit)
{
    Statement all(connection, std::string("SELECT ") + identityColumns + (format < 3 ? ", NULL, NULL, NULL" : keyingColumns) +
                                  " FROM pictures ORDER BY id");
    const KeyBlockTable plainTable(connection);
    std::optional<KeyBlockTable> fittedTable;
    if (format >= 3)
        fittedTable.emplace(connection, fittedKeyTable);
    KeyRowCursor plainKeys(&plainTable);
    KeyRowCursor fittedKeys(fittedTable ? &*fittedTable : nullptr);
    while (all.step()) {
        const std::int64_t number = all.number(0);
        PictureRecord record = recordFields(all);
        record.plain = keyingOf(plainKeys.key(number), all, 8, false);
        record.fitted = keyingOf(fittedKeys.key(number), all, 10, true);
        if (record.plain || record.fitted)
            visit(record);
    }
}

bool PictureTable::remove(std::int64_t number, const std::string& path)
{
    remove_.bind(1, number).bindBytes(2, path);
    const bool removed = remove_.step();
    remove_.reset();
    if (removed) {
        putKeying(number, std::nullopt, keys_, hashes_);
        putKeying(number, std::nullopt, fittedKeys_, fittedHashes_);
    }
    return removed;
}

} // namespace velsaro::detail
