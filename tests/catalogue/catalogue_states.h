// Catalogue files put in given states through SQLite directly, for the tests of the tool: read a
// number or the paths, run SQL, or leave a commit in the write-ahead log as a run still writing does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velsaro::testing {

// One number from an SQL query on file, read through a connection of its own; -1 if it fails.
std::int64_t queryNumber(const std::string& file, const std::string& sql);
// The path of every picture the catalogue holds.
std::vector<std::string> cataloguedPaths(const std::string& file);
// Runs sql on file; false (with SQLite's reason in why) if it fails.
bool executeSql(const std::string& file, const std::string& sql, std::string* why = nullptr);
// Switches file to write-ahead logging and runs sql, whose commit then stays in the log with its
// shared-memory file, as when the run that wrote it is still going or was killed.
bool leaveCommitInLog(const std::string& file, const std::string& sql);

} // namespace velsaro::testing
