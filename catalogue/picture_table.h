// The catalogue's records: table pictures (path, file identity, level averages) and each record's
// key in the key blocks under the same number.
#pragma once

#include "catalogue/file_identity.h"
#include "catalogue/key_block_table.h"
#include "engine/key_engine.h"

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

struct PictureRecord {
    std::string path;
    std::optional<FileIdentity> identity; // whole for a picture keyed here
    // The file's size and modification time: those of the identity, or the first format's alone, or
    // none for an imported picture. Merges go by the time; a record without a size is imported.
    std::optional<std::int64_t> size;
    std::optional<std::int64_t> modified;
    PackedKey key;
    std::optional<LevelAverages> averages; // none for imported pictures
};

class PictureTable {
public:
    explicit PictureTable(const Connection& connection);

    // The record of path, if the catalogue has one.
    std::optional<PictureRecord> find(const std::string& path);
    // Adds or replaces the record of its path; with onlyOverOlder, replaces only a record modified
    // earlier (one without a time counts as the oldest).
    void put(const PictureRecord& record, bool onlyOverOlder = false);
    // The same but for the key, which the caller stores under the number returned (none when an older
    // record was kept).
    std::optional<std::int64_t> putRecord(const PictureRecord& record, bool onlyOverOlder = false);
    // Removes number if it still holds path; whether it did.
    bool remove(std::int64_t number, const std::string& path);

    // Every record in order of numbers.
    void forEachRecord(const std::function<void(const PictureRecord&)>& visit);

    KeyBlockTable& keys() { return keys_; }

private:
    std::optional<PictureRecord> recordOf(Statement& statement);
    // The number of the record statement stored, if it stored one.
    std::optional<std::int64_t> stepped(Statement& statement, const PictureRecord& record);

    const Connection& connection_;
    KeyBlockTable keys_;
    Statement byPath_;
    Statement insert_;
    Statement update_;
    Statement updateOverOlder_;
    Statement remove_;
};

} // namespace velsaro::detail
