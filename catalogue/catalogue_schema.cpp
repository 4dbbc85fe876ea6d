#include "catalogue/catalogue_schema.h"

#include "catalogue/catalogue_file.h"
#include "catalogue/key_block_table.h"

#include <string>
#include <utility>
#include <vector>

namespace velsaro::detail {

namespace {

// Pictures without a file identity (imported, or carried over from the first format, which kept only
// size and modification time) are keyed again from their file when a run meets them. The columns
// after averages came with the third format.
constexpr const char* picturesTableSql =
    "CREATE TABLE pictures (id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE, size INTEGER, modified INTEGER, "
    "changed INTEGER, inode INTEGER, device INTEGER, keyed INTEGER, averages BLOB)";
constexpr const char* thirdFormatColumns[] = {"fingerprint", "fitted_averages", "fitted_fingerprint"};

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

// Whether a table that is read through holds a number outside the catalogue's own: a picture numbered
// below 0 or from numberLimit on, or a row of keys beyond them. Either would be read as another
// picture's, or past the end of a row. Rows of hashes and sketches are only looked up by a row of keys.
bool holdsNumbersOutOfRange(const Connection& connection, int format)
{
    std::vector<std::pair<std::string, std::int64_t>> tables = {{"pictures", numberLimit}};
    if (format >= 2)
        tables.emplace_back(plainKeyTable, rowLimit);
    if (format >= 3)
        tables.emplace_back(fittedKeyTable, rowLimit);
    std::string sql = "SELECT 0";
    for (const auto& [table, limit] : tables)
        sql += " OR (SELECT min(rowid) FROM " + table + ") < 0 OR (SELECT max(rowid) FROM " + table +
               ") >= " + std::to_string(limit);
    return connection.number(sql.c_str()) != 0;
}

void requireNumbersInRange(const Connection& connection, int format)
{
    if (holdsNumbersOutOfRange(connection, format))
        throw CatalogueError(connection.file(), "el catálogo está dañado: guarda números de imagen fuera de rango; "
                                                "no se ha modificado");
}

// Refuses what is not a catalogue of a format this version reads.
void requireUsable(const std::string& file, const CatalogueFileKind& kind)
{
    if (kind.kind == CatalogueFileKind::Foreign)
        throw notACatalogue(file);
    if (kind.kind == CatalogueFileKind::Catalogue && kind.format > catalogueFormat)
        throw laterFormat(file, kind.format);
}

// What the third format adds to the second: the fingerprints and fitted keys, none of them made yet.
void addThirdFormatTables(const Connection& connection)
{
    for (const char* column : thirdFormatColumns)
        connection.execute((std::string("ALTER TABLE pictures ADD COLUMN ") + column + " BLOB").c_str());
    connection.execute(keyBlockTableSql(fittedKeyTable).c_str());
    connection.execute(hashBlockTableSql(plainHashTable).c_str());
    connection.execute(hashBlockTableSql(fittedHashTable).c_str());
    connection.execute(sketchBlockTableSql(plainSketchTable).c_str());
    connection.execute(sketchBlockTableSql(fittedSketchTable).c_str());
    connection.execute(("PRAGMA user_version = " + std::to_string(catalogueFormat)).c_str());
}

void createTables(const Connection& connection)
{
    connection.execute(picturesTableSql);
    connection.execute(keyBlockTableSql(plainKeyTable).c_str());
    connection.execute(("PRAGMA application_id = " + std::to_string(catalogueApplicationId)).c_str());
    addThirdFormatTables(connection);
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
    if (kindThroughSqlite(connection).format == catalogueFormat) {
        requireNumbersInRange(connection, catalogueFormat);
        return; // nothing to make or upgrade; a later format is refused by what follows for the others
    }
    {
        Transaction transaction(connection);
        const CatalogueFileKind kind = kindThroughSqlite(connection);
        requireUsable(connection.file(), kind);
        if (kind.kind == CatalogueFileKind::Catalogue)
            requireNumbersInRange(connection, kind.format);
        if (kind.kind == CatalogueFileKind::Empty && !create)
            throw notACatalogue(connection.file());
        if (kind.kind == CatalogueFileKind::Empty)
            createTables(connection);
        else if (kind.format == 1)
            upgradeFirstFormat(connection);
        else if (kind.format == 2)
            addThirdFormatTables(connection); // keys kept; fingerprints and fitted keys made as files are met
        transaction.commit();
    }
}

int readableFormat(const Connection& connection)
{
    const CatalogueFileKind kind = kindThroughSqlite(connection);
    if (kind.kind == CatalogueFileKind::Empty)
        throw notACatalogue(connection.file());
    requireUsable(connection.file(), kind);
    requireNumbersInRange(connection, kind.format);
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
        visit({std::string(rows.bytes(0)), std::nullopt, rows.number(1), rows.number(2),
               StoredKeying{packedKey(key), averages, std::nullopt}, std::nullopt});
    }
}

void forEachFirstFormatRow(const Connection& connection, const std::function<void(const KeyRow&)>& visit)
{
    Statement rows(connection, "SELECT rowid, codes FROM pictures ORDER BY rowid");
    KeyRow row;
    row.firstNumber = -1;
    while (rows.step()) {
        const std::string_view codes = rows.bytes(1);
        if (codes.size() != std::size_t(keyCodeCount))
            continue;
        const std::int64_t number = rows.number(0);
        if (number - number % keysPerRow != row.firstNumber) {
            if (row.firstNumber >= 0)
                visit(row);
            row.firstNumber = number - number % keysPerRow;
            row.blocks.assign(std::size_t(blocksPerRow), KeyBlock{});
            row.inUse.assign(std::size_t(blocksPerRow), 0);
        }
        KeyCodes key{};
        std::copy(codes.begin(), codes.end(), key.begin());
        const std::size_t slot = std::size_t(number % keysPerRow);
        row.blocks[slot / keysPerBlock].place(slot % keysPerBlock, packedKey(key));
        row.inUse[slot / keysPerBlock] |= std::uint8_t(1u << (slot % keysPerBlock));
    }
    if (row.firstNumber >= 0)
        visit(row);
}

} // namespace velsaro::detail
