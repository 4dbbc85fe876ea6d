// The catalogue's tables, made new or upgraded in place from the first format.
#pragma once

#include "cli/catalogue_file.h"
#include "cli/picture_table.h"

#include <functional>

namespace velsaro::cli {

// Brings the file of connection to the current format under the write lock: the tables of a new or
// empty file (with create), or the first format's rows and keys carried over in one transaction.
// Refuses a file that another run has meanwhile turned into something else.
void prepareCatalogue(const Connection& connection, bool create);

// Write-ahead logging, for a run that writes while others read.
void useWriteAheadLog(const Connection& connection);

// Refuses a file that is not of the current format, for a connection that may only read.
void requireCurrentFormat(const Connection& connection);

// The format of a catalogue that is only read, the first or the current; refuses anything else.
int readableFormat(const Connection& connection);

// Every record of a catalogue of the first format, as the current one would hold it: no file identity
// but its size and modification time.
void forEachFirstFormatRecord(const Connection& connection, const std::function<void(const PictureRecord&)>& visit);

} // namespace velsaro::cli
