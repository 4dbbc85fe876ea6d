// What an open catalogue holds behind its facade: the connection, its records and the batch of
// pictures not yet committed.
#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/catalogue_file.h"
#include "catalogue/picture_table.h"

#include <mutex>
#include <optional>

namespace velsaro {

struct Catalogue::Store {
    Store(const std::string& file, detail::Access access);

    void beginIfIdle();
    void commitLocked();

    std::mutex mutex;
    detail::OpenedCatalogue opened;
    std::optional<detail::PictureTable> pictures; // of the current format; a file of an earlier one is only read
    std::optional<detail::Transaction> batch;
    std::size_t pending = 0;
    std::chrono::steady_clock::time_point batchStart;
};

} // namespace velsaro
