#include "cli/catalogue.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unordered_set>

namespace velsaro::cli {

namespace {

constexpr std::size_t averagesBytes = sizeof(double) * 27;

std::string segmentColumn(int s)
{
    std::string name = "s";
    return name.append(std::to_string(s));
}

std::string schemaSql()
{
    std::string sql = "CREATE TABLE pictures (path BLOB PRIMARY KEY NOT NULL, size INTEGER NOT NULL, "
                      "modified INTEGER NOT NULL, codes BLOB NOT NULL, averages BLOB NOT NULL";
    for (int s = 0; s < segmentCount; ++s)
        sql += ", " + segmentColumn(s) + " INTEGER NOT NULL";
    sql += ");\n";
    for (int s = 0; s < segmentCount; ++s)
        sql += "CREATE INDEX pictures_" + segmentColumn(s) + " ON pictures(" + segmentColumn(s) + ");\n";
    sql += "PRAGMA application_id = " + std::to_string(Catalogue::applicationId) + ";\n";
    sql += "PRAGMA user_version = " + std::to_string(Catalogue::formatVersion) + ";\n";
    return sql;
}

// The statement that writes one picture: replacing whatever the path had, or, for a merge, only an
// older record of it.
std::string insertSql(bool onlyOverOlder)
{
    std::string sql = "INSERT INTO pictures (path, size, modified, codes, averages";
    for (int s = 0; s < segmentCount; ++s)
        sql += ", " + segmentColumn(s);
    sql += ") VALUES (?1, ?2, ?3, ?4, ?5";
    for (int s = 0; s < segmentCount; ++s)
        sql += ", ?" + std::to_string(6 + s);
    sql += ") ON CONFLICT (path) DO UPDATE SET size = excluded.size, modified = excluded.modified, "
           "codes = excluded.codes, averages = excluded.averages";
    for (int s = 0; s < segmentCount; ++s)
        sql += ", " + segmentColumn(s) + " = excluded." + segmentColumn(s);
    if (onlyOverOlder)
        sql += " WHERE excluded.modified > pictures.modified";
    return sql;
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

LevelAverages decodedAverages(const unsigned char* bytes)
{
    LevelAverages averages{};
    for (std::size_t i = 0; i < averages.size(); ++i) {
        std::uint64_t bits = 0;
        for (int b = 0; b < 8; ++b)
            bits |= std::uint64_t(bytes[i * 8 + std::size_t(b)]) << (8 * b);
        averages[i] = std::bit_cast<double>(bits);
    }
    return averages;
}

std::string columnBytes(sqlite3_stmt* statement, int column)
{
    const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
    return std::string(data ? data : "", std::size_t(sqlite3_column_bytes(statement, column)));
}

std::optional<KeyCodes> columnCodes(sqlite3_stmt* statement, int column)
{
    if (sqlite3_column_bytes(statement, column) != keyCodeCount)
        return std::nullopt;
    KeyCodes codes{};
    std::memcpy(codes.data(), sqlite3_column_blob(statement, column), codes.size());
    return codes;
}

// Why SQLite failed, in the tool's words where the cause is one a user can act on.
std::string reasonOf(sqlite3* db)
{
    switch (sqlite3_extended_errcode(db) & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "el catálogo sigue ocupado por otra ejecución tras esperar " +
               std::to_string(busyTimeout.count() / 1000) + " s";
    case SQLITE_CANTOPEN: return "no se puede abrir ni crear el archivo del catálogo";
    case SQLITE_READONLY:
    case SQLITE_PERM: return "no se puede escribir en el catálogo";
    case SQLITE_FULL: return "no queda espacio en el disco para el catálogo";
    case SQLITE_CORRUPT: return "el catálogo está dañado";
    case SQLITE_NOMEM: return "no hay memoria suficiente para el catálogo";
    default: return std::string("no se pudo leer o escribir el catálogo (") + sqlite3_errmsg(db) + ")";
    }
}

[[noreturn]] void fail(sqlite3* db)
{
    throw CatalogueError(reasonOf(db));
}

void check(sqlite3* db, int result)
{
    if (result != SQLITE_OK && result != SQLITE_DONE && result != SQLITE_ROW)
        fail(db);
}

void execute(sqlite3* db, const std::string& sql)
{
    check(db, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr));
}

// A prepared statement that is finalized when it goes out of scope.
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) : db_(db)
    {
        check(db, sqlite3_prepare_v2(db, sql.c_str(), int(sql.size()), &statement_, nullptr));
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return statement_; }
    // True while there is a row.
    bool step()
    {
        const int result = sqlite3_step(statement_);
        check(db_, result);
        return result == SQLITE_ROW;
    }

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

std::int64_t singleNumber(sqlite3* db, const std::string& sql)
{
    Statement statement(db, sql);
    return statement.step() ? sqlite3_column_int64(statement.get(), 0) : 0;
}

void bindBlob(sqlite3* db, sqlite3_stmt* statement, int index, const void* data, std::size_t size)
{
    check(db, sqlite3_bind_blob64(statement, index, size ? data : "", size, SQLITE_TRANSIENT));
}

void bindPicture(sqlite3* db, sqlite3_stmt* insert, const std::string& path, const FileStamp& stamp,
                 const KeyCodes& codes, const std::string& averages)
{
    sqlite3_reset(insert);
    bindBlob(db, insert, 1, path.data(), path.size());
    check(db, sqlite3_bind_int64(insert, 2, stamp.size));
    check(db, sqlite3_bind_int64(insert, 3, stamp.modified));
    bindBlob(db, insert, 4, codes.data(), codes.size());
    bindBlob(db, insert, 5, averages.data(), averages.size());
    const KeySegments segments = keySegments(codes);
    for (int s = 0; s < segmentCount; ++s)
        check(db, sqlite3_bind_int(insert, 6 + s, segments[std::size_t(s)]));
}

// False for a file whose first bytes show it is no SQLite database. SQLite itself would take a file
// shorter than a page for an empty database and write over it. A file that another run is creating at
// this moment holds nothing yet or the start of the header.
bool mayBeSqlite(const std::string& file)
{
    static constexpr char header[16] = "SQLite format 3";
    std::ifstream stream(file, std::ios::binary);
    char start[sizeof header] = {};
    stream.read(start, sizeof start);
    return std::memcmp(start, header, std::size_t(stream.gcount())) == 0;
}

enum class FileKind { Empty, Catalogue, Foreign, Later };

// Read in one statement, so in one read transaction: another run may be creating the catalogue.
FileKind kindOf(sqlite3* db)
{
    Statement header(db, "SELECT (SELECT application_id FROM pragma_application_id), "
                         "(SELECT user_version FROM pragma_user_version), (SELECT count(*) FROM sqlite_schema)");
    header.step();
    const std::int64_t id = sqlite3_column_int64(header.get(), 0);
    const std::int64_t version = sqlite3_column_int64(header.get(), 1);
    const std::int64_t objects = sqlite3_column_int64(header.get(), 2);
    if (id == 0 && version == 0 && objects == 0)
        return FileKind::Empty;
    if (id != Catalogue::applicationId || version < 1)
        return FileKind::Foreign;
    return version > Catalogue::formatVersion ? FileKind::Later : FileKind::Catalogue;
}

const std::string notACatalogue = "no es un catálogo de velsaro-clave; no se ha modificado";

// Refuses, without writing to it, a file that is not a catalogue or is one of a later format.
void requireCatalogue(sqlite3* db, FileKind kind)
{
    if (kind == FileKind::Foreign)
        throw CatalogueError(notACatalogue);
    if (kind == FileKind::Later)
        throw CatalogueError("el catálogo es de una versión posterior de velsaro-clave (formato " +
                             std::to_string(singleNumber(db, "PRAGMA user_version")) +
                             "; esta versión lee el formato " + std::to_string(Catalogue::formatVersion) +
                             "); no se ha modificado");
}

// Classifies a file, turning "not a database" into a refusal.
FileKind classified(sqlite3* db)
{
    try {
        return kindOf(db);
    } catch (const CatalogueError&) {
        if ((sqlite3_errcode(db) & 0xff) == SQLITE_NOTADB)
            throw CatalogueError(notACatalogue);
        throw;
    }
}

// A file URI that opens file as unchanging: SQLite then reads it without the shared-memory file a
// write-ahead-logged database otherwise needs beside it.
std::string immutableUri(const std::string& file)
{
    std::string uri = "file:";
    for (char c : file) {
        if (c == '?' || c == '#' || c == '%') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            uri += escaped;
        } else {
            uri += c;
        }
    }
    return uri + "?immutable=1";
}

sqlite3* openedDatabase(const std::string& file, int flags)
{
    if (!mayBeSqlite(file))
        throw CatalogueError(notACatalogue);
    sqlite3* db = nullptr;
    const bool isUri = (flags & SQLITE_OPEN_URI) != 0;
    const std::string name = isUri ? immutableUri(file) : file;
    if (sqlite3_open_v2(name.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const std::string reason = db ? reasonOf(db) : "no hay memoria suficiente para el catálogo";
        sqlite3_close_v2(db);
        throw CatalogueError(reason);
    }
    sqlite3_busy_timeout(db, int(busyTimeout.count()));
    return db;
}

// Write-ahead logging lets one run read while another writes, and a commit survives the process
// being killed at any moment. The switch needs the file to itself and SQLite does not wait for that,
// so while another run that has just created the catalogue holds it, this one waits and tries again.
void useWriteAheadLog(sqlite3* db)
{
    const auto deadline = std::chrono::steady_clock::now() + busyTimeout;
    for (;;) {
        sqlite3_stmt* statement = nullptr;
        check(db, sqlite3_prepare_v2(db, "PRAGMA journal_mode = WAL", -1, &statement, nullptr));
        const int result = sqlite3_step(statement);
        const bool busy = (result & 0xff) == SQLITE_BUSY || (result & 0xff) == SQLITE_LOCKED;
        sqlite3_finalize(statement);
        if (!busy) {
            check(db, result);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            fail(db);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    execute(db, "PRAGMA synchronous = NORMAL");
}

// A catalogue of a million pictures has some 20 indexes of a few dozen MiB together; a page cache of
// 64 MiB keeps the pages that storing and looking up touch from being read again and again.
void useLargerCache(sqlite3* db)
{
    execute(db, "PRAGMA cache_size = -65536");
}

// Closes db, with the statements prepared on it, if the scope is left by an exception.
struct CloseOnFailure {
    sqlite3*& db;
    std::vector<sqlite3_stmt**> statements;
    ~CloseOnFailure()
    {
        if (std::uncaught_exceptions() > 0) {
            for (sqlite3_stmt** statement : statements) {
                sqlite3_finalize(*statement);
                *statement = nullptr;
            }
            sqlite3_close_v2(db);
            db = nullptr;
        }
    }
};

} // namespace

std::optional<FileStamp> fileStamp(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return FileStamp{std::int64_t(status.st_size),
                     std::int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

bool catalogueExists(const std::string& file)
{
    std::error_code error;
    return std::filesystem::exists(file, error);
}

std::string cataloguePath(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

LevelAverages levelAveragesOf(const Key& key)
{
    LevelAverages averages{};
    for (std::size_t l = 0; l < 3; ++l)
        for (std::size_t r = 0; r < 3; ++r)
            for (std::size_t c = 0; c < 3; ++c)
                averages[l * 9 + r * 3 + c] = key.levels[l].matrizP[r][c];
    return averages;
}

Key keyOf(const KeyCodes& codes, const LevelAverages& averages)
{
    Key key;
    for (std::size_t l = 0; l < 3; ++l) {
        LevelResult& level = key.levels[l];
        level.n = levelMaskSizes[l];
        for (std::size_t r = 0; r < 3; ++r)
            for (std::size_t c = 0; c < 3; ++c)
                level.matrizP[r][c] = averages[l * 9 + r * 3 + c];
        calculaMatrizS(level);
        for (std::size_t j = 0; j < 9; ++j)
            level.codes[j] = codes[l * 9 + j];
    }
    key.text = keyText(codes);
    return key;
}

Catalogue::Catalogue(const std::string& file, Access access)
{
    open(file, access);
}

void Catalogue::open(const std::string& file, Access access)
{
    const bool readOnly = access == Access::ReadOnly;
    db_ = openedDatabase(file, readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    CloseOnFailure closer{db_, {&lookup_, &insert_}};
    FileKind kind = FileKind::Empty;
    try {
        kind = classified(db_);
    } catch (const CatalogueError&) {
        // A logged catalogue in a folder the user may not write to cannot get its shared-memory file;
        // for a search it is read as it stands.
        const int code = sqlite3_errcode(db_) & 0xff;
        if (!readOnly || (code != SQLITE_READONLY && code != SQLITE_CANTOPEN))
            throw;
        sqlite3_close_v2(db_);
        db_ = openedDatabase(file, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
        kind = classified(db_);
    }
    if (kind == FileKind::Empty && readOnly)
        throw CatalogueError(notACatalogue);
    if (kind == FileKind::Empty) {
        // Another run may be creating the same catalogue: decide again under the write lock.
        execute(db_, "BEGIN IMMEDIATE");
        kind = kindOf(db_);
        if (kind == FileKind::Empty) {
            execute(db_, schemaSql());
            kind = FileKind::Catalogue;
        }
        execute(db_, "COMMIT");
    }
    requireCatalogue(db_, kind);
    useLargerCache(db_);
    check(db_, sqlite3_prepare_v2(db_, "SELECT size, modified, codes, averages FROM pictures WHERE path = ?1",
                                  -1, &lookup_, nullptr));
    if (readOnly)
        return;
    useWriteAheadLog(db_);
    const std::string insert = insertSql(false);
    check(db_, sqlite3_prepare_v2(db_, insert.c_str(), -1, &insert_, nullptr));
}

Catalogue::~Catalogue()
{
    try {
        commit();
    } catch (const CatalogueError&) {
        // The pictures of the last batch are keyed again by the next run.
    }
    sqlite3_finalize(lookup_);
    sqlite3_finalize(insert_);
    sqlite3_close_v2(db_);
}

std::optional<Key> Catalogue::storedKey(const std::string& path, const FileStamp& stamp)
{
    std::lock_guard lock(mutex_);
    bindBlob(db_, lookup_, 1, path.data(), path.size());
    const int result = sqlite3_step(lookup_);
    std::optional<KeyCodes> codes;
    std::optional<LevelAverages> averages;
    if (result == SQLITE_ROW && sqlite3_column_int64(lookup_, 0) == stamp.size &&
        sqlite3_column_int64(lookup_, 1) == stamp.modified &&
        sqlite3_column_bytes(lookup_, 3) == int(averagesBytes)) {
        codes = columnCodes(lookup_, 2);
        averages = decodedAverages(static_cast<const unsigned char*>(sqlite3_column_blob(lookup_, 3)));
    }
    // Reset at once: a statement left on a row would hold this connection's view of the file, and a
    // later write would then fail on another run's newer commits.
    sqlite3_reset(lookup_);
    check(db_, result);
    if (!codes)
        return std::nullopt;
    return keyOf(*codes, *averages);
}

void Catalogue::beginIfIdle()
{
    if (inTransaction_)
        return;
    execute(db_, "BEGIN IMMEDIATE");
    inTransaction_ = true;
    pending_ = 0;
    batchStart_ = std::chrono::steady_clock::now();
}

void Catalogue::store(const std::string& path, const FileStamp& stamp, const KeyCodes& codes,
                      const LevelAverages& averages)
{
    std::lock_guard lock(mutex_);
    beginIfIdle();
    bindPicture(db_, insert_, path, stamp, codes, encodedAverages(averages));
    const int result = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    if (result != SQLITE_DONE) {
        // The batch is dropped whole rather than committed later without this picture.
        rollbackLocked();
        check(db_, result);
    }
    ++pending_;
}

void Catalogue::commitLocked()
{
    if (!inTransaction_)
        return;
    execute(db_, "COMMIT");
    inTransaction_ = false;
    pending_ = 0;
}

void Catalogue::rollbackLocked()
{
    if (!inTransaction_)
        return;
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    inTransaction_ = false;
    pending_ = 0;
}

void Catalogue::commitIfDue()
{
    std::lock_guard lock(mutex_);
    if (inTransaction_ &&
        (pending_ >= commitBatchSize || std::chrono::steady_clock::now() - batchStart_ >= commitInterval))
        commitLocked();
}

void Catalogue::commit()
{
    std::lock_guard lock(mutex_);
    commitLocked();
}

std::vector<CatalogueMatch> Catalogue::find(const KeyCodes& query, int maxDistance)
{
    std::lock_guard lock(mutex_);
    const PackedKey packedQuery = packedKey(query);
    const KeySegments segments = keySegments(query);
    const SearchPlan plan = searchPlan(maxDistance);
    std::unordered_set<std::int64_t> seen;
    std::vector<std::pair<int, std::int64_t>> near; // distance, row
    const auto collect = [&](Statement& candidates) {
        while (candidates.step()) {
            const std::int64_t row = sqlite3_column_int64(candidates.get(), 0);
            const std::optional<KeyCodes> codes = columnCodes(candidates.get(), 1);
            if (!codes || !seen.insert(row).second)
                continue;
            const int distance = keyDistance(packedKey(*codes), packedQuery);
            if (distance <= maxDistance)
                near.emplace_back(distance, row);
        }
    };
    if (plan.scanEverything) {
        Statement all(db_, "SELECT rowid, codes FROM pictures");
        collect(all);
    }
    for (const std::vector<int>& group : plan.groups) {
        std::string sql = "SELECT rowid, codes FROM pictures WHERE ";
        std::vector<std::uint16_t> values;
        if (plan.segmentRadius == 0) {
            for (int s : group) {
                sql += (values.empty() ? "" : " AND ") + segmentColumn(s) + " = ?" + std::to_string(values.size() + 1);
                values.push_back(segments[std::size_t(s)]);
            }
        } else {
            values = segmentNeighbours(segments[std::size_t(group[0])], plan.segmentRadius);
            sql += segmentColumn(group[0]) + " IN (";
            for (std::size_t i = 0; i < values.size(); ++i)
                sql += (i ? ", ?" : "?") + std::to_string(i + 1);
            sql += ")";
        }
        Statement candidates(db_, sql);
        for (std::size_t i = 0; i < values.size(); ++i)
            check(db_, sqlite3_bind_int(candidates.get(), int(i + 1), values[i]));
        collect(candidates);
    }
    std::vector<CatalogueMatch> matches;
    Statement pathOf(db_, "SELECT path FROM pictures WHERE rowid = ?1");
    for (const auto& [distance, row] : near) {
        sqlite3_reset(pathOf.get());
        check(db_, sqlite3_bind_int64(pathOf.get(), 1, row));
        if (pathOf.step())
            matches.push_back({columnBytes(pathOf.get(), 0), distance});
    }
    std::sort(matches.begin(), matches.end(), [](const CatalogueMatch& a, const CatalogueMatch& b) {
        return a.distance != b.distance ? a.distance < b.distance : a.path < b.path;
    });
    return matches;
}

std::size_t Catalogue::prune()
{
    std::lock_guard lock(mutex_);
    commitLocked();
    std::vector<std::pair<std::int64_t, std::string>> gone; // row, path
    {
        Statement all(db_, "SELECT rowid, path FROM pictures");
        while (all.step()) {
            struct stat status {};
            const std::string path = columnBytes(all.get(), 1);
            if (stat(path.c_str(), &status) != 0 && (errno == ENOENT || errno == ENOTDIR))
                gone.emplace_back(sqlite3_column_int64(all.get(), 0), path);
        }
    }
    beginIfIdle();
    // By path as well: another run may have stored the path again, or reused the row, since the scan.
    Statement remove(db_, "DELETE FROM pictures WHERE rowid = ?1 AND path = ?2");
    for (const auto& [row, path] : gone) {
        sqlite3_reset(remove.get());
        check(db_, sqlite3_bind_int64(remove.get(), 1, row));
        bindBlob(db_, remove.get(), 2, path.data(), path.size());
        remove.step();
    }
    commitLocked();
    return gone.size();
}

void Catalogue::merge(const std::string& otherFile)
{
    if (!catalogueExists(otherFile))
        throw CatalogueError("el catálogo no existe");
    sqlite3* other = openedDatabase(otherFile, SQLITE_OPEN_READONLY);
    CloseOnFailure closer{other, {}};
    const FileKind kind = classified(other);
    if (kind == FileKind::Empty)
        throw CatalogueError(notACatalogue);
    requireCatalogue(other, kind);

    {
        std::lock_guard lock(mutex_);
        commitLocked();
        Statement insert(db_, insertSql(true));
        Statement rows(other, "SELECT path, size, modified, codes, averages FROM pictures");
        beginIfIdle();
        try {
            while (rows.step()) {
                const std::optional<KeyCodes> codes = columnCodes(rows.get(), 3);
                if (!codes || sqlite3_column_bytes(rows.get(), 4) != int(averagesBytes))
                    continue;
                const FileStamp stamp{sqlite3_column_int64(rows.get(), 1), sqlite3_column_int64(rows.get(), 2)};
                bindPicture(db_, insert.get(), columnBytes(rows.get(), 0), stamp, *codes,
                            columnBytes(rows.get(), 4));
                insert.step();
            }
        } catch (const CatalogueError&) {
            // A catalogue that fails halfway is merged not at all.
            rollbackLocked();
            throw;
        }
        commitLocked();
    }
    sqlite3_close_v2(other);
    other = nullptr;
}

std::size_t Catalogue::size()
{
    std::lock_guard lock(mutex_);
    return std::size_t(singleNumber(db_, "SELECT count(*) FROM pictures"));
}

} // namespace velsaro::cli
