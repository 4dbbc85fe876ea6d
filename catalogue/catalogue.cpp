#include "catalogue/catalogue.h"

#include "catalogue/catalogue_schema.h"
#include "catalogue/catalogue_search.h"
#include "catalogue/catalogue_store.h"
#include "catalogue/paths.h"

#include <memory>

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

// The record path is stored as: the other kind of key kept where it was taken of this very file.
PictureRecord recordToStore(PictureTable& pictures, const std::string& path, const FileIdentity& identity)
{
    PictureRecord record{path, identity, identity.size, identity.modified, std::nullopt, std::nullopt};
    const std::optional<PictureRecord> stored = pictures.find(path);
    if (stored && stored->identity && stored->identity->isUnchangedIn(identity)) {
        record.plain = stored->plain;
        record.fitted = stored->fitted;
    }
    return record;
}

// The keys of kind in a catalogue of format, as the search reads them.
StoredKeys storedKeys(const Connection& connection, int format, KeyKind kind)
{
    const bool fitted = kind == KeyKind::Fitted;
    StoredKeys stored{[&connection, format, fitted](const std::function<void(const KeyRow&)>& visit) {
                          if (format == 1 && !fitted)
                              forEachFirstFormatRow(connection, visit);
                          else if (format >= 3 || !fitted)
                              KeyBlockTable(connection, fitted ? fittedKeyTable : plainKeyTable).forEachRow(visit);
                      },
                      {}, {}, fingerprintColumn(fitted, format), !fitted};
    if (format >= 3) {
        auto hashes = std::make_shared<HashBlockTable>(connection, fitted);
        stored.hashRow = [hashes](std::int64_t row) { return hashes->row(row); };
        stored.sketchRow = [hashes](std::int64_t row) { return hashes->sketches(row); };
    }
    return stored;
}

// Whether any fitted key was ever stored: a catalogue keyed without --fit, or of a format before them,
// holds none, and a search of its fitted keys would find nothing whatever the pictures.
bool holdsFittedKeys(const Connection& connection, int format)
{
    return format >= 3 && Statement(connection, std::string("SELECT 1 FROM ") + fittedKeyTable + " LIMIT 1").step();
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

std::optional<StoredPicture> Catalogue::storedPicture(const std::string& path, const FileIdentity& now, KeyKind kind)
{
    std::lock_guard lock(store_->mutex);
    const std::optional<PictureRecord> record = store_->pictures->find(path);
    if (!record || !record->identity || !record->identity->isUnchangedIn(now))
        return std::nullopt;
    const std::optional<StoredKeying>& keying = kind == KeyKind::Fitted ? record->fitted : record->plain;
    if (!keying || !keying->averages)
        return std::nullopt;
    return StoredPicture{keyOf(codesOfPackedKey(keying->key), *keying->averages), keying->fingerprint};
}

std::optional<Key> Catalogue::storedKey(const std::string& path, const FileIdentity& now)
{
    std::optional<StoredPicture> stored = storedPicture(path, now, KeyKind::Plain);
    return stored ? std::optional(std::move(stored->key)) : std::nullopt;
}

void Catalogue::store(const std::string& path, const FileIdentity& identity, const Key& key)
{
    store(path, identity, KeyKind::Plain, key, std::nullopt);
}

void Catalogue::store(const std::string& path, const FileIdentity& identity, KeyKind kind, const Key& key,
                      const std::optional<Fingerprint>& fingerprint)
{
    std::lock_guard lock(store_->mutex);
    store_->beginIfIdle();
    try {
        PictureRecord record = recordToStore(*store_->pictures, path, identity);
        (kind == KeyKind::Fitted ? record.fitted : record.plain) =
            StoredKeying{packedKey(key.codes()), levelAveragesOf(key), fingerprint};
        store_->pictures->put(record);
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

void Catalogue::find(std::span<const CatalogueQuery> queries, int maxDistance, KeyKind kind, SearchReceiver& receiver)
{
    std::lock_guard lock(store_->mutex);
    std::vector<SearchQuery> asked;
    for (const CatalogueQuery& query : queries)
        asked.push_back({packedKey(query.key), query.fingerprint});
    store_->commitLocked();
    const Connection& connection = store_->opened.connection;
    Transaction reading(connection, Transaction::Intent::Read);
    if (kind == KeyKind::Fitted && !holdsFittedKeys(connection, store_->opened.format))
        throw CatalogueError(connection.file(), "el catálogo no guarda claves ajustadas: guárdelas con --catalogue y "
                                                "--fit antes de buscar con --fit");
    searchCatalogue(connection, storedKeys(connection, store_->opened.format, kind), asked, maxDistance, receiver);
    requireUnchanged(store_->opened);
}

void Catalogue::find(std::span<const KeyCodes> queries, int maxDistance, SearchReceiver& receiver)
{
    std::vector<CatalogueQuery> asked;
    for (const KeyCodes& key : queries)
        asked.push_back({key, std::nullopt});
    find(asked, maxDistance, KeyKind::Plain, receiver);
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
