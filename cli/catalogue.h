// The key catalogue: an SQLite file that keeps every keyed picture's path, file identity, key and
// level averages, so that a later run keys only new or changed files, and that answers searches for
// near keys by scanning its packed keys. A facade over the units that open the file, store the
// records, search them and fold catalogues together.
#pragma once

#include "cli/catalogue_file.h"
#include "cli/catalogue_search.h"
#include "cli/picture_table.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velsaro::cli {

// Pending pictures are committed in batches of this many, or after this long, whichever comes first.
inline constexpr std::size_t commitBatchSize = 256;
inline constexpr std::chrono::milliseconds commitInterval{1000};

// A connection to a catalogue file for the access asked for: see Access. Throws CatalogueError for a
// file that is not a catalogue or is of a later format, without writing to it.
Connection openCatalogueFile(const std::string& file, Access access);

LevelAverages levelAveragesOf(const Key& key);
Key keyOf(const KeyCodes& codes, const LevelAverages& averages);

// A key read from the tool's own text output, for --import.
struct ImportedKey {
    std::string path; // as catalogued
    KeyCodes codes;
};

// One open catalogue. Every member may be called from any thread.
class Catalogue {
public:
    // Opens file for ReadWrite (creating it, or an empty file, as a new catalogue) or Search, upgrading
    // one of the first format where it may write. Search creates nothing, so that a catalogue the user
    // may only read can be searched.
    Catalogue(const std::string& file, Access access);
    ~Catalogue();
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    // The stored key of path if the catalogue holds it for this very file.
    std::optional<Key> storedKey(const std::string& path, const FileIdentity& now);
    // Adds or replaces a picture; it is committed with its batch.
    void store(const std::string& path, const FileIdentity& identity, const Key& key);
    // Commits the pending pictures if their batch is full or old enough.
    void commitIfDue();
    // Commits the pending pictures now.
    void commit();

    // For each query, the pictures within maxDistance bits whose file is still there (imported ones as
    // they are), nearest first, then by path.
    std::vector<std::vector<CatalogueMatch>> find(std::span<const KeyCodes> queries, int maxDistance);

    // Removes the pictures whose file is gone, but for imported ones; returns how many.
    std::size_t prune();

    // Folds the pictures of another catalogue into this one, all or none; of two records of one path
    // the one with the later modification time stays.
    void merge(const std::string& otherFile);

    // Stores the keys that next gives until it gives none, each replacing whatever record its path had,
    // in one transaction after the last: an exception from next leaves the catalogue as it was.
    // Returns how many.
    std::size_t importKeys(const std::function<std::optional<ImportedKey>()>& next);


private:
    void beginIfIdle();
    void commitLocked();

    std::mutex mutex_;
    Connection connection_;
    PictureTable pictures_;
    std::optional<Transaction> batch_;
    std::size_t pending_ = 0;
    std::chrono::steady_clock::time_point batchStart_;
};

} // namespace velsaro::cli
