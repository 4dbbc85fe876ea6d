// The catalogue's records: table pictures (path, file identity, level averages and fingerprints of
// the plain and the fitted key) and each record's keys and hashes in the packed tables under the same
// number.
#pragma once

#include "catalogue/file_identity.h"
#include "catalogue/first_page.h"
#include "catalogue/hash_block_table.h"
#include "catalogue/key_block_table.h"
#include "engine/key_engine.h"
#include "likeness/near_copy.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace velsaro::detail {

// The averages of the three levels' matrizP, row by row; with the codes they are all that the tool
// prints of a key.
using LevelAverages = std::array<double, 27>;

// Level averages as both formats keep them: 27 little-endian doubles; none for other bytes.
std::optional<LevelAverages> decodedAverages(std::string_view bytes);

// Fingerprints as the records keep them: the hash's 8 bytes, little-endian, then the 256 grey levels.
std::string encodedFingerprint(const Fingerprint& fingerprint);
std::optional<Fingerprint> decodedFingerprint(std::string_view bytes);

// What one keying of the picture gave: plain, of what the drawing area shows, or fitted (--fit).
struct StoredKeying {
    PackedKey key;
    std::optional<LevelAverages> averages;  // none for imported pictures
    std::optional<Fingerprint> fingerprint; // none for imported pictures and plain keys of the second format
};

struct PictureRecord {
    std::string path;
    std::optional<FileIdentity> identity; // whole for a picture keyed here
    // The file's size and modification time: those of the identity, or the first format's alone, or
    // none for an imported picture. Merges go by the time; a record without a size is imported.
    std::optional<std::int64_t> size;
    std::optional<std::int64_t> modified;
    std::optional<StoredKeying> plain;
    std::optional<StoredKeying> fitted; // always with its averages and fingerprint
};

// The column of the fingerprints of keys of a kind; "NULL" in a catalogue of the second format.
std::string fingerprintColumn(bool fitted, int format);

// Every record of a catalogue of the second or the current format, in order of numbers.
void forEachRecord(const Connection& connection, int format, const std::function<void(const PictureRecord&)>& visit);

class PictureTable {
public:
    explicit PictureTable(const Connection& connection);

    // The record of path, if the catalogue has one.
    std::optional<PictureRecord> find(const std::string& path);
    // Adds or replaces the record of its path; with onlyOverOlder, replaces only a record modified
    // earlier (one without a time counts as the oldest).
    void put(const PictureRecord& record, bool onlyOverOlder = false);
    // The same but for the keys and hashes, which the caller stores under the number returned (none
    // when an older record was kept).
    std::optional<std::int64_t> putRecord(const PictureRecord& record, bool onlyOverOlder = false);
    // Removes number if it still holds path; whether it did.
    bool remove(std::int64_t number, const std::string& path);

    KeyBlockTable& keys() { return keys_; }
    KeyBlockTable& fittedKeys() { return fittedKeys_; }
    HashBlockTable& hashes() { return hashes_; }

private:
    std::optional<PictureRecord> recordOf(Statement& statement);
    // The number of the record statement stored, if it stored one.
    std::optional<std::int64_t> stepped(Statement& statement, const PictureRecord& record);
    // A keying's key and hash stored under number, or what was there removed.
    void putKeying(std::int64_t number, const std::optional<StoredKeying>& keying, KeyBlockTable& keys,
                   HashBlockTable& hashes);

    KeyBlockTable keys_;
    KeyBlockTable fittedKeys_;
    HashBlockTable hashes_;
    HashBlockTable fittedHashes_;
    Statement byPath_;
    Statement insert_;
    Statement update_;
    Statement updateOverOlder_;
    Statement remove_;
};

} // namespace velsaro::detail
