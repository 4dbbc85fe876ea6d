#include "tests/catalogue/catalogue_states.h"

#include <sqlite3.h>

namespace velsaro::testing {

std::int64_t queryNumber(const std::string& file, const std::string& sql)
{
    sqlite3* db = nullptr;
    std::int64_t value = -1;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            value = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return value;
}

std::vector<std::string> cataloguedPaths(const std::string& file)
{
    std::vector<std::string> paths;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT path FROM pictures", -1, &statement, nullptr);
        while (statement && sqlite3_step(statement) == SQLITE_ROW)
            paths.emplace_back(static_cast<const char*>(sqlite3_column_blob(statement, 0)),
                               std::size_t(sqlite3_column_bytes(statement, 0)));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return paths;
}

bool executeSql(const std::string& file, const std::string& sql, std::string* why)
{
    sqlite3* db = nullptr;
    const bool done = sqlite3_open(file.c_str(), &db) == SQLITE_OK &&
                      sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!done && why)
        *why = sqlite3_errmsg(db);
    sqlite3_close(db);
    return done;
}

bool leaveCommitInLog(const std::string& file, const std::string& sql)
{
    sqlite3* db = nullptr;
    const bool done = sqlite3_open(file.c_str(), &db) == SQLITE_OK &&
                      sqlite3_exec(db, ("PRAGMA journal_mode = WAL; " + sql).c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_close(db);
    return done;
}

} // namespace velsaro::testing
