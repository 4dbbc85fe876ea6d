// The key catalogue: an SQLite file that keeps every keyed picture's path, file identity, and of its
// plain and its fitted key (--fit) the key, level averages and fingerprint, so that a later run keys
// only new or changed files, and that answers searches for near copies by scanning its packed keys and
// hashes. Plain C++: SQLite stays behind this facade.
#pragma once

#include "catalogue/catalogue_error.h"
#include "catalogue/catalogue_results.h"
#include "catalogue/file_identity.h"
#include "engine/key_engine.h"
#include "likeness/near_copy.h"

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

// Which of a picture's keys: of what the drawing area shows, or of the whole picture fitted into it.
enum class KeyKind { Plain, Fitted };

// A picture as the catalogue keeps one kind of its key.
struct StoredPicture {
    Key key;
    std::optional<Fingerprint> fingerprint; // none for a plain key stored before fingerprints were
};

// A picture searched for: its key of the kind searched, and its fingerprint of what that key read.
struct CatalogueQuery {
    KeyCodes key{};
    std::optional<Fingerprint> fingerprint;
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

    // The stored key of kind of path, with its fingerprint, if the catalogue holds it for this very file.
    std::optional<StoredPicture> storedPicture(const std::string& path, const FileIdentity& now, KeyKind kind);
    // The stored plain key of path if the catalogue holds it for this very file.
    std::optional<Key> storedKey(const std::string& path, const FileIdentity& now);
    // Adds or replaces the key of kind of a picture; it is committed with its batch. The other kind
    // stays where it was taken of this very file, and is dropped otherwise.
    void store(const std::string& path, const FileIdentity& identity, KeyKind kind, const Key& key,
               const std::optional<Fingerprint>& fingerprint);
    // The same for a plain key without a fingerprint.
    void store(const std::string& path, const FileIdentity& identity, const Key& key);
    // Commits the pending pictures if their batch is full or old enough.
    void commitIfDue();
    // Commits the pending pictures now.
    void commit();

    // For each query, the stored pictures whose file is still a regular file (imported ones as they
    // are) that are near copies of it by isNearCopy over the keys of kind and their fingerprints, and
    // where the picture or the query has no fingerprint, those within maxDistance bits; nearest key
    // first, then by path. Fitted keys are searched only in a catalogue that holds some: one keyed
    // without --fit, or of an earlier format, is refused.
    void find(std::span<const CatalogueQuery> queries, int maxDistance, KeyKind kind, SearchReceiver& receiver);
    // The plain keys within maxDistance bits of queries without fingerprints.
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
