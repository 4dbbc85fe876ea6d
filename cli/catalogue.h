// The key catalogue: an SQLite file that keeps every keyed picture's path, size, modification time,
// key and level averages, so that a later run keys only new or changed files, and that answers
// searches for near keys through indexed segments of the keys.
#pragma once

#include "cli/key_distance.h"
#include "engine/key_engine.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace velsaro::cli {

// A catalogue that cannot be used; what() is a Spanish phrase that follows "velsaro-clave: FILE: ".
class CatalogueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What tells that a file is still the one keyed: its size and modification time in nanoseconds.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t modified = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of a regular file (following links); none for anything else or a file that is not there.
std::optional<FileStamp> fileStamp(const std::string& path);

bool catalogueExists(const std::string& file);

// The path under which a picture is catalogued: absolute and without "." or "..", in the file
// system's own bytes, so that runs from other folders find it.
std::string cataloguePath(const std::string& path);

// The averages of the three levels' matrizP, row by row; with the codes they are all that the tool
// prints of a key.
using LevelAverages = std::array<double, 27>;
LevelAverages levelAveragesOf(const Key& key);
Key keyOf(const KeyCodes& codes, const LevelAverages& averages);

struct CatalogueMatch {
    std::string path;
    int distance = 0;
};

// Pending pictures are committed in batches of this many, or after this long, whichever comes first.
inline constexpr std::size_t commitBatchSize = 256;
inline constexpr std::chrono::milliseconds commitInterval{1000};
// How long a run waits for another run that holds the catalogue.
inline constexpr std::chrono::milliseconds busyTimeout{120000};

// One open catalogue. Every member may be called from any thread.
class Catalogue {
public:
    static constexpr std::int32_t applicationId = 0x56434c56; // "VCLV" in the file's header
    static constexpr std::int32_t formatVersion = 1;

    enum class Access { ReadWrite, ReadOnly };

    // Opens file, creating it (or an empty file) as a new catalogue. Throws CatalogueError for a file
    // that is not a catalogue or is from a later format, without writing to it. Read-only, it
    // neither creates nor changes anything, so that a catalogue the user may only read can be searched.
    explicit Catalogue(const std::string& file, Access access = Access::ReadWrite);
    ~Catalogue();
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    // The stored key of path if the catalogue holds it with this very stamp.
    std::optional<Key> storedKey(const std::string& path, const FileStamp& stamp);

    // Adds or replaces a picture; it is committed with its batch.
    void store(const std::string& path, const FileStamp& stamp, const KeyCodes& codes,
               const LevelAverages& averages);
    // Commits the pending pictures if their batch is full or old enough.
    void commitIfDue();
    // Commits the pending pictures now.
    void commit();

    // The catalogue's pictures within maxDistance bits of query, nearest first, then by path.
    std::vector<CatalogueMatch> find(const KeyCodes& query, int maxDistance);

    // Removes the pictures whose file is gone; returns how many.
    std::size_t prune();

    // Folds the pictures of another catalogue into this one, all or none; of two records of one path
    // the one with the later modification time stays.
    void merge(const std::string& otherFile);

    std::size_t size();

private:
    void open(const std::string& file, Access access);
    void beginIfIdle();
    void commitLocked();
    void rollbackLocked();

    std::mutex mutex_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* lookup_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    bool inTransaction_ = false;
    std::size_t pending_ = 0;
    std::chrono::steady_clock::time_point batchStart_;
};

} // namespace velsaro::cli
