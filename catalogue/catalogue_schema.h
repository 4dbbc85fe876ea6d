// The catalogue's tables, made new or upgraded in place from the first or the second format.
#pragma once

#include "catalogue/picture_table.h"

#include <functional>

namespace velsaro::detail {

// Brings the file of connection to the current format under the write lock: the tables of a new or
// empty file (with create), the first format's rows and keys carried over, or the second format's
// tables given the third's columns and tables, in one transaction.
// Refuses a file that another run has meanwhile turned into something else.
void prepareCatalogue(const Connection& connection, bool create);

// The format of a catalogue that is only read, the first, the second or the current; refuses anything
// else.
int readableFormat(const Connection& connection);

// Every record of a catalogue of the first format, as the current one would hold it: no file identity
// but its size and modification time.
void forEachFirstFormatRecord(const Connection& connection, const std::function<void(const PictureRecord&)>& visit);

// The keys of a catalogue of the first format, in rows as the current format's key blocks hold them,
// under the numbers of their records.
void forEachFirstFormatRow(const Connection& connection, const std::function<void(const KeyRow&)>& visit);

} // namespace velsaro::detail
