// The key catalogue: an SQLite file that keeps every keyed picture's path, file identity, key and
// level averages, so that a later run keys only new or changed files, and that answers searches for
// near keys by scanning its packed keys. Plain C++: SQLite stays behind this facade.
#pragma once

#include "catalogue/catalogue_error.h"
#include "catalogue/catalogue_results.h"
#include "catalogue/file_identity.h"
#include "engine/key_engine.h"

#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velsaro {

// Keyed pictures are committed in batches of this many, or after this long, whichever comes first.
inline constexpr std::size_t commitBatchSize = 256;
inline constexpr std::chrono::milliseconds commitInterval{1000};

enum class CatalogueAccess {
    ReadWrite, // keying, importing, merging into: made if missing (or an empty file), upgraded, written
    Search,    // --find: never made; upgraded where it may be written, else read as it is
};

// Receives a search's answers in order: each query in turn, then its matches.
class SearchReceiver {
public:
    virtual ~SearchReceiver() = default;
    // Every query, with or without matches, by its place in the queries searched.
    virtual void startQuery(std::size_t query) = 0;
    // The current query's matches, nearest first, then by path.
    virtual void match(const CatalogueMatch& match) = 0;
};

// One open catalogue. Every member may be called from any thread; each throws CatalogueError, naming
// the file at fault, when the catalogue fails.
class Catalogue {
public:
    // Opens file, or refuses it leaving every file as it was: anything but a catalogue, one of a later
    // format, one that access cannot use.
    Catalogue(const std::string& file, CatalogueAccess access);
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

    // For each query, the pictures within maxDistance bits whose file is still a regular file
    // (imported ones as they are), nearest first, then by path.
    void find(std::span<const KeyCodes> queries, int maxDistance, SearchReceiver& receiver);

    // Removes the pictures whose file is gone, but for imported ones; returns how many.
    std::size_t prune();

    // Folds the pictures of a catalogue checked by requireMergeable into this one, all or none; of two
    // records of one path the one with the later modification time stays.
    void merge(const std::string& otherFile);

    // Stores the keys of the key lists (files of the tool's text output, "-" for standard input), each
    // replacing whatever record its path had. Every list is read whole and checked before anything is
    // stored (KeyListError, nothing stored), then stored in batches that keep no other run waiting long.
    ImportSummary importKeyLists(const std::vector<std::string>& lists);

    // What the catalogue holds, defined inside the library alone.
    struct Store;

private:
    std::unique_ptr<Store> store_;
};

// Throws the CatalogueError that merging from file would meet on opening it, so that a merge can be
// refused before its target is made.
void requireMergeable(const std::string& file);

} // namespace velsaro
