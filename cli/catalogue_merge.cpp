// Folding another catalogue into this one.
#include "cli/catalogue.h"

namespace velsaro::cli {

// The other catalogue is only read: its records stream into one transaction of this one, which a
// failure on either side rolls back whole. Each error names the file it is about.
void Catalogue::merge(const std::string& otherFile)
{
    Catalogue other(otherFile, Access::ReadOnly);
    std::lock_guard lock(mutex_);
    commitLocked();
    Transaction transaction(connection_);
    std::lock_guard otherLock(other.mutex_);
    other.pictures_.forEachRecord([&](const PictureRecord& record) { pictures_.put(record, true); });
    transaction.commit();
}

} // namespace velsaro::cli
