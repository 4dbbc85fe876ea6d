// What a file holds, told from its first page as its last whole commit left it (in the file or in its
// write-ahead log), read without SQLite so that a file that is not ours is never opened by it.
#pragma once

#include <cstdint>
#include <string>

namespace velsaro::detail {

inline constexpr std::int32_t catalogueApplicationId = 0x56434c56; // "VCLV" in the file's header
inline constexpr std::int32_t catalogueFormat = 3;

struct CatalogueFileKind {
    enum Kind {
        Missing,
        NotRegular, // a folder, a pipe, a device: never opened further
        Unopenable, // there, but the system refuses to open it (openError says why)
        Empty,      // no byte, or an SQLite file without a table
        Catalogue,
        Foreign,
    };
    Kind kind = Missing;
    int format = 0;      // of a Catalogue: its user version
    bool logged = false; // in write-ahead-log mode
    int openError = 0;   // of an Unopenable file
};

// Throws CatalogueError only when the file opens but cannot be read.
CatalogueFileKind identifyCatalogue(const std::string& file);

} // namespace velsaro::detail
