// Folding another catalogue into this one.
#include "cli/catalogue.h"
#include "cli/catalogue_schema.h"

namespace velsaro::cli {

// The other catalogue is only read, one of the first format as it is: its records stream into one
// transaction of this one, which a failure on either side rolls back whole. Each error names the file
// it is about.
void Catalogue::merge(const std::string& otherFile)
{
    const Connection other = openCatalogueFile(otherFile, Access::Read);
    const int format = readableFormat(other);
    std::lock_guard lock(mutex_);
    commitLocked();
    Transaction transaction(connection_);
    const auto keep = [&](const PictureRecord& record) { pictures_.put(record, true); };
    if (format == 1) {
        forEachFirstFormatRecord(other, keep);
    } else {
        Transaction reading(other, Transaction::Intent::Read);
        PictureTable(other).forEachRecord(keep);
    }
    transaction.commit();
}

} // namespace velsaro::cli
