#include "cli/catalogue_schema.h"

#include "cli/key_block_table.h"

#include <thread>

namespace velsaro::cli {

namespace {

// Pictures without a file identity (imported, or carried over from the first format, which kept only
// size and modification time) are keyed again from their file when a run meets them.
constexpr const char* picturesTableSql =
    "CREATE TABLE pictures (id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE, size INTEGER, modified INTEGER, "
    "changed INTEGER, inode INTEGER, device INTEGER, keyed INTEGER, averages BLOB)";

// Read in one statement, so in one read transaction: another run may be creating the catalogue.
CatalogueFileKind kindThroughSqlite(const Connection& connection)
{
    Statement header(connection, "SELECT (SELECT application_id FROM pragma_application_id), "
                                  "(SELECT user_version FROM pragma_user_version), "
                                  "(SELECT count(*) FROM sqlite_schema)");
    header.step();
    const std::int64_t id = header.number(0);
    const std::int64_t version = header.number(1);
    const std::int64_t objects = header.number(2);
    header.reset();
    if (id == 0 && version == 0 && objects == 0)
        return {CatalogueFileKind::Empty};
    if (id != catalogueApplicationId || version < 1)
        return {CatalogueFileKind::Foreign};
    return {CatalogueFileKind::Catalogue, int(version)};
}

void createTables(const Connection& connection)
{
    connection.execute(picturesTableSql);
    connection.execute(keyBlockTableSql);
    connection.execute(("PRAGMA application_id = " + std::to_string(catalogueApplicationId)).c_str());
    connection.execute(("PRAGMA user_version = " + std::to_string(catalogueFormat)).c_str());
}

// The first format kept each key in its row, indexed by segments; its rows keep their order and
// their size and modification time, and their keys move to the key blocks.
void upgradeFirstFormat(const Connection& connection)
{
    connection.execute("ALTER TABLE pictures RENAME TO first_format_pictures");
    createTables(connection);
    // Paths are bytes: one stored as text would never equal the same path looked up as bytes.
    connection.execute("INSERT INTO pictures (path, size, modified, averages) SELECT CAST(path AS BLOB), size, "
                       "modified, averages FROM first_format_pictures ORDER BY rowid");
    KeyBlockTable keys(connection);
    Statement moved(connection, "SELECT pictures.id, first_format_pictures.codes FROM pictures "
                                "JOIN first_format_pictures ON pictures.path = CAST(first_format_pictures.path AS BLOB)");
    while (moved.step()) {
        const std::string_view codes = moved.bytes(1);
        KeyCodes key{};
        if (codes.size() == key.size()) {
            std::copy(codes.begin(), codes.end(), key.begin());
            keys.put(moved.number(0), packedKey(key));
        }
    }
    connection.execute("DROP TABLE first_format_pictures");
}

} // namespace

void prepareCatalogue(const Connection& connection, bool create)
{
    // A new catalogue's keys are read in 64 KiB pages, a few hundred reads for a million keys; this
    // takes effect only while the file holds nothing.
    connection.execute("PRAGMA page_size = 65536");
    if (kindThroughSqlite(connection).format == catalogueFormat)
        return; // nothing to make or upgrade; a later format is refused by what follows for the others
    {
        Transaction transaction(connection);
        const CatalogueFileKind kind = kindThroughSqlite(connection);
        requireUsable(connection.file(), kind);
        if (kind.kind == CatalogueFileKind::Empty && !create)
            throw CatalogueError(connection.file(), "no es un catálogo de velsaro-clave; no se ha modificado");
        if (kind.kind == CatalogueFileKind::Empty)
            createTables(connection);
        else if (kind.format == 1)
            upgradeFirstFormat(connection);
        transaction.commit();
    }
}

// Write-ahead logging lets one run read while another writes, and a commit survives the process
// being killed at any moment. The switch needs the file to itself and SQLite does not wait for that,
// so while another run holds it, this one waits and tries again.
void useWriteAheadLog(const Connection& connection)
{
    const auto deadline = std::chrono::steady_clock::now() + busyTimeout;
    for (;;) {
        const int result = sqlite3_exec(connection.get(), "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        const bool busy = (result & 0xff) == SQLITE_BUSY || (result & 0xff) == SQLITE_LOCKED;
        if (!busy || std::chrono::steady_clock::now() >= deadline) {
            connection.check(result);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    connection.execute("PRAGMA synchronous = NORMAL");
}


int readableFormat(const Connection& connection)
{
    const CatalogueFileKind kind = kindThroughSqlite(connection);
    if (kind.kind == CatalogueFileKind::Empty)
        throw CatalogueError(connection.file(), "no es un catálogo de velsaro-clave; no se ha modificado");
    requireUsable(connection.file(), kind);
    return kind.format;
}

void forEachFirstFormatRecord(const Connection& connection, const std::function<void(const PictureRecord&)>& visit)
{
    Statement rows(connection, "SELECT path, size, modified, codes, averages FROM pictures ORDER BY rowid");
    while (rows.step()) {
        const std::string_view codes = rows.bytes(3);
        const std::optional<LevelAverages> averages = decodedAverages(rows.bytes(4));
        KeyCodes key{};
        if (codes.size() != key.size() || !averages)
            continue;
        std::copy(codes.begin(), codes.end(), key.begin());
        visit({std::string(rows.bytes(0)), std::nullopt, rows.number(1), rows.number(2), packedKey(key), averages});
    }
}

void requireCurrentFormat(const Connection& connection)
{
    const CatalogueFileKind kind = kindThroughSqlite(connection);
    if (kind.kind == CatalogueFileKind::Empty)
        throw CatalogueError(connection.file(), "no es un catálogo de velsaro-clave; no se ha modificado");
    requireUsable(connection.file(), kind);
    if (kind.format < catalogueFormat)
        throw CatalogueError(connection.file(), "el catálogo es de un formato anterior, que se actualiza la "
                                                "primera vez que se abre con permiso de escritura");
}

} // namespace velsaro::cli
