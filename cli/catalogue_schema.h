// The catalogue's tables, made new or upgraded in place from the first format.
#pragma once

#include "cli/catalogue_file.h"

namespace velsaro::cli {

// Brings the file of connection to the current format under the write lock: the tables of a new or
// empty file (with create), or the first format's rows and keys carried over in one transaction.
// Refuses a file that another run has meanwhile turned into something else.
void prepareCatalogue(const Connection& connection, bool create);

// Write-ahead logging, for a run that writes while others read.
void useWriteAheadLog(const Connection& connection);

// Refuses a file that is not of the current format, for a connection that may only read.
void requireCurrentFormat(const Connection& connection);

} // namespace velsaro::cli
