// Folding another catalogue into this one.
#include "catalogue/catalogue.h"

#include "catalogue/catalogue_schema.h"
#include "catalogue/catalogue_store.h"

namespace velsaro {

using namespace detail;

void requireMergeable(const std::string& file)
{
    openCatalogueFile(file, Access::Read);
}

// The other catalogue is only read, one of an earlier format as it is; records carry both kinds of key
// and their fingerprints: its records stream into one
// transaction of this one, which a failure on either side rolls back whole. Each error names the file
// it is about.
void Catalogue::merge(const std::string& otherFile)
{
    const OpenedCatalogue other = openCatalogueFile(otherFile, Access::Read);
    std::lock_guard lock(store_->mutex);
    store_->commitLocked();
    Transaction transaction(store_->opened.connection);
    const auto keep = [&](const PictureRecord& record) { store_->pictures->put(record, true); };
    if (other.format == 1) {
        forEachFirstFormatRecord(other.connection, keep);
    } else {
        Transaction reading(other.connection, Transaction::Intent::Read);
        forEachRecord(other.connection, other.format, keep);
    }
    transaction.commit();
}

} // namespace velsaro
