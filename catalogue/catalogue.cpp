#include "catalogue/catalogue.h"

#include "catalogue/catalogue_schema.h"
#include "catalogue/catalogue_search.h"
#include "catalogue/catalogue_store.h"
#include "catalogue/paths.h"

namespace velsaro {

using namespace detail;

namespace {

LevelAverages levelAveragesOf(const Key& key)
{
    LevelAverages averages{};
    for (std::size_t l = 0; l < 3; ++l)
        for (std::size_t r = 0; r < 3; ++r)
            for (std::size_t c = 0; c < 3; ++c)
                averages[l * 9 + r * 3 + c] = key.levels[l].matrizP[r][c];
    return averages;
}

Key keyOf(const KeyCodes& codes, const LevelAverages& averages)
{
    Key key;
    for (std::size_t l = 0; l < 3; ++l) {
        LevelResult& level = key.levels[l];
        level.n = levelMaskSizes[l];
        for (std::size_t r = 0; r < 3; ++r)
            for (std::size_t c = 0; c < 3; ++c)
                level.matrizP[r][c] = averages[l * 9 + r * 3 + c];
        calculaMatrizS(level);
        for (std::size_t j = 0; j < 9; ++j)
            level.codes[j] = codes[l * 9 + j];
    }
    key.text = keyText(codes);
    return key;
}

Access accessFor(CatalogueAccess access)
{
    return access == CatalogueAccess::ReadWrite ? Access::ReadWrite : Access::Search;
}

} // namespace

Catalogue::Store::Store(const std::string& file, Access access) : opened(openCatalogueFile(file, access))
{
    if (opened.format == catalogueFormat)
        pictures.emplace(opened.connection);
}

void Catalogue::Store::beginIfIdle()
{
    if (batch)
        return;
    batch.emplace(opened.connection);
    pending = 0;
    batchStart = std::chrono::steady_clock::now();
}

void Catalogue::Store::commitLocked()
{
    if (!batch)
        return;
    try {
        batch->commit();
    } catch (const CatalogueError&) {
        batch.reset(); // rolled back whole
        throw;
    }
    batch.reset();
}

Catalogue::Catalogue(const std::string& file, CatalogueAccess access)
    : store_(std::make_unique<Store>(file, accessFor(access)))
{
}

Catalogue::~Catalogue()
{
    try {
        commit();
    } catch (const CatalogueError&) {
        // The pictures of the last batch are keyed again by the next run.
    }
    store_->pictures.reset();
    if (!store_->opened.readOnly)
        leaveWriteAheadLog(store_->opened.connection);
}

std::optional<Key> Catalogue::storedKey(const std::string& path, const FileIdentity& now)
{
    std::lock_guard lock(store_->mutex);
    const std::optional<PictureRecord> record = store_->pictures->find(path);
    if (!record || !record->identity || !record->averages || !record->identity->isUnchangedIn(now))
        return std::nullopt;
    return keyOf(codesOfPackedKey(record->key), *record->averages);
}

void Catalogue::store(const std::string& path, const FileIdentity& identity, const Key& key)
{
    std::lock_guard lock(store_->mutex);
    store_->beginIfIdle();
    try {
        store_->pictures->put({path, identity, identity.size, identity.modified, packedKey(key.codes()), levelAveragesOf(key)});
    } catch (const CatalogueError&) {
        store_->batch.reset(); // the batch is dropped whole rather than committed later without this picture
        throw;
    }
    ++store_->pending;
}

void Catalogue::commitIfDue()
{
    std::lock_guard lock(store_->mutex);
    const bool due = store_->pending >= commitBatchSize ||
                     std::chrono::steady_clock::now() - store_->batchStart >= commitInterval;
    if (store_->batch && due)
        store_->commitLocked();
}

void Catalogue::commit()
{
    std::lock_guard lock(store_->mutex);
    store_->commitLocked();
}

void Catalogue::find(std::span<const KeyCodes> queries, int maxDistance, SearchReceiver& receiver)
{
    std::lock_guard lock(store_->mutex);
    std::vector<PackedKey> packed;
    for (const KeyCodes& query : queries)
        packed.push_back(packedKey(query));
    store_->commitLocked();
    const Connection& connection = store_->opened.connection;
    Transaction reading(connection, Transaction::Intent::Read);
    const KeyRowSource rows = [&](const std::function<void(const KeyRow&)>& visit) {
        if (store_->pictures)
            store_->pictures->keys().forEachRow(visit);
        else
            forEachFirstFormatRow(connection, visit);
    };
    searchCatalogue(connection, rows, packed, maxDistance, receiver);
    requireUnchanged(store_->opened);
}

// The files are looked at before the write lock is taken, and those found gone again under it: another
// run may have stored a path again in the meantime.
std::size_t Catalogue::prune()
{
    std::lock_guard lock(store_->mutex);
    store_->commitLocked();
    const Connection& connection = store_->opened.connection;
    std::vector<std::pair<std::int64_t, std::string>> gone; // number, path
    {
        Statement all(connection, "SELECT id, path FROM pictures WHERE size IS NOT NULL");
        while (all.step())
            if (std::string path(all.bytes(1)); presenceOf(path) == FilePresence::Gone)
                gone.emplace_back(all.number(0), std::move(path));
    }
    Transaction transaction(connection);
    std::size_t removed = 0;
    for (const auto& [number, path] : gone)
        if (presenceOf(path) == FilePresence::Gone)
            removed += store_->pictures->remove(number, path) ? 1 : 0;
    transaction.commit();
    return removed;
}

} // namespace velsaro
