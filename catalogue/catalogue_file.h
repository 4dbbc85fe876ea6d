// Opening a catalogue file, in one call: what the file is, told by reading it without SQLite (so that
// a file that is not ours is never opened for writing), then refused with the true reason, or opened
// and brought to the current format where the access writes. Every refusal's words are here.
#pragma once

#include "catalogue/file_identity.h"
#include "catalogue/first_page.h"
#include "catalogue/sqlite_handles.h"

#include <optional>
#include <string>

namespace velsaro::detail {

enum class Access {
    ReadWrite, // keying, importing, merging into: made if missing, upgraded, written
    Search,    // --find: never made; upgraded where it may be written, else read as it is
    Read,      // merged from: never made, upgraded or written; an earlier format is read as it is
};

struct OpenedCatalogue {
    Connection connection;
    int format = catalogueFormat; // the first, the second or the current one
    bool readOnly = false;
    // For a file read as it stands, without the locks SQLite takes otherwise: what it was when opened.
    std::optional<FileIdentity> readAsItStands;
};

// The catalogue in file, opened for access. Read-write wherever the file and its folder may be
// written, even to only read, so that the last connection to close folds the log back and removes the
// side files; otherwise read-only. Throws CatalogueError, leaving every file as it was, for anything
// but a catalogue of a format this version reads (an empty file, as for a new catalogue, only with
// ReadWrite), for a file that cannot be written with ReadWrite, and for one that cannot be read.
OpenedCatalogue openCatalogueFile(const std::string& file, Access access);

// Throws when a file read as it stands has changed since it was opened: what was read may be torn.
void requireUnchanged(const OpenedCatalogue& opened);

// The refusal of a file that holds something other than a catalogue, and of a later format's.
CatalogueError notACatalogue(const std::string& file);
CatalogueError laterFormat(const std::string& file, int format);

// Write-ahead logging, for a run that writes while others read.
void useWriteAheadLog(const Connection& connection);
// Back to a file of its own once no other run has it open, so that whoever may read the file can
// search it, without the side files a logged file needs; nothing when another run has it open.
void leaveWriteAheadLog(const Connection& connection);

} // namespace velsaro::detail
