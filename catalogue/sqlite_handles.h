// SQLite resources as RAII objects of one kind: the connection, its prepared statements, a write
// transaction and a key block opened for incremental reading and writing. Every failure becomes a
// CatalogueError that names the file and gives SQLite's own reason.
#pragma once

#include "catalogue/catalogue_error.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velsaro::detail {

// How long a run waits for another run that holds the catalogue.
inline constexpr std::chrono::milliseconds busyTimeout{120000};

class Connection {
public:
    // Opens uri (a file: URI this program built, never a user's name) with flags.
    Connection(const std::string& file, const std::string& uri, int flags);

    sqlite3* get() const { return db_.get(); }
    const std::string& file() const { return file_; }

    void execute(const char* sql) const;
    // The first column of the first row of sql, 0 without a row.
    std::int64_t number(const char* sql) const;
    // Throws the reason of the last failure, or of result when it is a failure code.
    [[noreturn]] void fail(int result) const;
    void check(int result) const;

private:
    struct Closer {
        void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
    };

    std::string file_;
    std::unique_ptr<sqlite3, Closer> db_;
};

class Statement {
public:
    Statement(const Connection& connection, std::string_view sql);

    Statement& bind(int index, std::int64_t value);
    Statement& bindBytes(int index, std::string_view bytes);
    Statement& bindNull(int index);
    // True while there is a row; the statement is reset after its last row or a failure, so that it
    // never holds the connection's view of the file.
    bool step();
    void reset();

    std::int64_t number(int column) const { return sqlite3_column_int64(statement_.get(), column); }
    bool isNull(int column) const { return sqlite3_column_type(statement_.get(), column) == SQLITE_NULL; }
    std::string_view bytes(int column) const;

private:
    struct Finalizer {
        void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
    };

    const Connection& connection_;
    std::unique_ptr<sqlite3_stmt, Finalizer> statement_;
};

// A write transaction takes the write lock at once (BEGIN IMMEDIATE) and rolls back unless committed, so
// that a failure part of the way stores nothing. A read transaction gives its statements one view of
// the file, and spares each the locking and checking that a statement on its own costs.
class Transaction {
public:
    enum class Intent { Write, Read };
    explicit Transaction(const Connection& connection, Intent intent = Intent::Write);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    const Connection& connection_;
    bool open_ = true;
};

// One row's blob, read and written in place without copying the rest of it.
class Blob {
public:
    Blob(const Connection& connection, const char* table, const char* column, std::int64_t row, bool writable);

    void read(void* into, int size, int offset) const;
    void write(const void* from, int size, int offset) const;

private:
    void requireWithin(int size, int offset) const;

    struct Closer {
        void operator()(sqlite3_blob* blob) const { sqlite3_blob_close(blob); }
    };

    const Connection& connection_;
    std::unique_ptr<sqlite3_blob, Closer> blob_;
};

} // namespace velsaro::detail
