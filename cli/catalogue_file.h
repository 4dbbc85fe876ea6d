// Opening a catalogue file: what the file is, told by reading it without SQLite (so a file that is
// not ours is never opened for writing), and the connection SQLite then gets to it.
#pragma once

#include "cli/sqlite_handles.h"

#include <string>

namespace velsaro::cli {

inline constexpr std::int32_t catalogueApplicationId = 0x56434c56; // "VCLV" in the file's header
inline constexpr std::int32_t catalogueFormat = 2;

struct CatalogueFileKind {
    enum Kind { Missing, Empty, Catalogue, Foreign };
    Kind kind = Missing;
    int format = 0;        // of a Catalogue
    bool logged = false;   // in write-ahead-log mode
};

// What file holds, from its first page as its last commit left it (in the file or in its
// write-ahead log). Throws CatalogueError for anything but a regular file, or a file it cannot read.
CatalogueFileKind identifyCatalogue(const std::string& file);

// Throws the refusal of a file that is not a catalogue or is of a later format.
void requireUsable(const std::string& file, const CatalogueFileKind& kind);

enum class Access {
    ReadWrite, // keying, importing, merging into: made if missing, upgraded, written
    Search,    // --find: never made; upgraded where it may be written
    Read,      // merged from: never made, upgraded or written; the first format is read as it is
};

// A connection to file, which identifyCatalogue has found usable. Read-write wherever the file and its
// folder may be written, even to only read, so that the last connection to close folds the log back
// and removes the side files; otherwise read-only, and a logged file is then read through its log, or
// refused with the reason.
Connection openConnection(const std::string& file, Access access, bool create);

// The file a catalogue name leads to, its links followed, where the side files of its log live.
std::string realCatalogueFile(const std::string& file);

// file as an SQLite URI with parameters, so that no name is ever read as a URI of its own.
std::string fileUri(const std::string& file, const std::string& parameters = {});

} // namespace velsaro::cli
