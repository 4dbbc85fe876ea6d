#include "catalogue/sqlite_handles.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include <sys/mman.h>

namespace velsaro::detail {

namespace {

std::string phraseOf(int code)
{
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "el catálogo sigue ocupado por otra ejecución tras esperar " +
               std::to_string(busyTimeout.count() / 1000) + " s";
    case SQLITE_CANTOPEN: return "no se puede abrir ni crear el archivo del catálogo";
    case SQLITE_READONLY:
    case SQLITE_PERM: return "no se puede escribir en el catálogo";
    case SQLITE_FULL: return "no queda espacio en el disco para el catálogo";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return "el catálogo está dañado";
    case SQLITE_NOMEM: return "no hay memoria suficiente para el catálogo";
    default: return "no se pudo leer o escribir el catálogo";
    }
}

// The phrase, then SQLite's own words and, where a system call failed, the system's.
std::string reasonOf(sqlite3* db, int result)
{
    std::string reason = phraseOf(result) + " (" + (db ? sqlite3_errmsg(db) : sqlite3_errstr(result));
    if (const int error = db ? sqlite3_system_errno(db) : 0; error != 0)
        reason.append(": ").append(std::strerror(error));
    return reason + ")";
}

// SQLite's own waiting sleeps up to 100 ms between tries, and a run that writes in short batches (an
// import) frees the file for moments shorter than that: a waiting run looks again every 2 ms instead.
int waitForTheFile(void*, int tries)
{
    constexpr std::chrono::milliseconds pause{2};
    if (tries * pause >= busyTimeout)
        return 0;
    std::this_thread::sleep_for(pause);
    return 1;
}

bool isFailure(int result)
{
    return result != SQLITE_OK && result != SQLITE_ROW && result != SQLITE_DONE;
}

// Whether the kernel gives huge pages to memory that asks for them.
bool hugePagesOnRequest()
{
    std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(setting, modes);
    return modes.find("[always]") != std::string::npos || modes.find("[madvise]") != std::string::npos;
}

// SQLite's page cache, for pages up to 64 KiB, in memory that asks for huge pages: a search reads every
// page of its keys once, through a cache of some 2 MiB, and fresh small pages would cost a page fault
// every 4 KiB. SQLite writes every slot when it starts, so the slots are few: two huge pages' worth,
// more than a search's cache holds; beyond them it allocates as it would, and where the kernel gives no
// huge pages it keeps its own allocation.
void usePageCacheOfHugePages()
{
    static const bool configured = [] {
        int header = 0;
        if (!hugePagesOnRequest() || sqlite3_config(SQLITE_CONFIG_PCACHE_HDRSZ, &header) != SQLITE_OK)
            return false;
        const int slot = (65536 + header + 63) / 64 * 64;
        const std::size_t huge = std::size_t(2) << 20;
        const std::size_t size = 2 * huge;
        // One huge page more to align them on.
        void* mapped = mmap(nullptr, size + huge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            return false;
        void* aligned = reinterpret_cast<void*>((reinterpret_cast<std::uintptr_t>(mapped) + huge - 1) & ~(huge - 1));
        if (madvise(aligned, size, MADV_HUGEPAGE) != 0) {
            munmap(mapped, size + huge);
            return false;
        }
        return sqlite3_config(SQLITE_CONFIG_PAGECACHE, aligned, slot, int(size / std::size_t(slot))) == SQLITE_OK;
    }();
    (void)configured;
}

} // namespace

Connection::Connection(const std::string& file, const std::string& uri, int flags) : file_(file)
{
    usePageCacheOfHugePages();
    sqlite3* db = nullptr;
    const int result = sqlite3_open_v2(uri.c_str(), &db, flags | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
    db_.reset(db);
    check(result);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_handler(db, waitForTheFile, nullptr);
}

void Connection::execute(const char* sql) const
{
    check(sqlite3_exec(get(), sql, nullptr, nullptr, nullptr));
}

std::int64_t Connection::number(const char* sql) const
{
    Statement statement(*this, sql);
    return statement.step() ? statement.number(0) : 0;
}

void Connection::fail(int result) const
{
    throw CatalogueError(file_, reasonOf(get(), result));
}

void Connection::check(int result) const
{
    if (isFailure(result))
        fail(result);
}

Statement::Statement(const Connection& connection, std::string_view sql) : connection_(connection)
{
    sqlite3_stmt* statement = nullptr;
    connection.check(sqlite3_prepare_v2(connection.get(), sql.data(), int(sql.size()), &statement, nullptr));
    statement_.reset(statement);
}

Statement& Statement::bind(int index, std::int64_t value)
{
    connection_.check(sqlite3_bind_int64(statement_.get(), index, value));
    return *this;
}

Statement& Statement::bindBytes(int index, std::string_view bytes)
{
    // An empty blob, not NULL, for an empty value.
    connection_.check(sqlite3_bind_blob64(statement_.get(), index, bytes.empty() ? "" : bytes.data(), bytes.size(),
                                          SQLITE_TRANSIENT));
    return *this;
}

Statement& Statement::bindNull(int index)
{
    connection_.check(sqlite3_bind_null(statement_.get(), index));
    return *this;
}

bool Statement::step()
{
    const int result = sqlite3_step(statement_.get());
    if (result == SQLITE_ROW)
        return true;
    sqlite3_reset(statement_.get());
    connection_.check(result);
    return false;
}

void Statement::reset()
{
    sqlite3_reset(statement_.get());
}

std::string_view Statement::bytes(int column) const
{
    const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_.get(), column));
    return {data ? data : "", std::size_t(sqlite3_column_bytes(statement_.get(), column))};
}

Transaction::Transaction(const Connection& connection, Intent intent) : connection_(connection)
{
    connection.execute(intent == Intent::Write ? "BEGIN IMMEDIATE" : "BEGIN");
}

Transaction::~Transaction()
{
    if (open_)
        sqlite3_exec(connection_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    connection_.execute("COMMIT");
    open_ = false;
}

Blob::Blob(const Connection& connection, const char* table, const char* column, std::int64_t row, bool writable)
    : connection_(connection)
{
    sqlite3_blob* blob = nullptr;
    const int result = sqlite3_blob_open(connection.get(), "main", table, column, row, writable ? 1 : 0, &blob);
    blob_.reset(blob);
    connection.check(result);
}

void Blob::read(void* into, int size, int offset) const
{
    requireWithin(size, offset);
    connection_.check(sqlite3_blob_read(blob_.get(), into, size, offset));
}

void Blob::write(const void* from, int size, int offset) const
{
    requireWithin(size, offset);
    connection_.check(sqlite3_blob_write(blob_.get(), from, size, offset));
}

// Every row read or written in place has the length its table gives all its rows: one that is shorter
// was cut by damage, and SQLite would only call the access a logic error. The batch it was met in is
// rolled back.
void Blob::requireWithin(int size, int offset) const
{
    if (std::int64_t(offset) + size > sqlite3_blob_bytes(blob_.get()))
        throw CatalogueError(connection_.file(),
                             "el catálogo está dañado: una de sus filas es más corta de lo que debe");
}

} // namespace velsaro::detail
