#include "cli/catalogue.h"

#include "cli/catalogue_schema.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace velsaro::cli {

namespace {

// The system's reason why file, or its folder where SQLite keeps the side files, cannot be written.
std::string whyNotWritable(const std::string& file)
{
    if (::access(file.c_str(), W_OK) != 0)
        return std::strerror(errno);
    const std::size_t slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : file.substr(0, std::max<std::size_t>(slash, 1));
    if (::access(folder.c_str(), W_OK) != 0)
        return folder + ": " + std::strerror(errno);
    return "solo lectura";
}

// What the first look found allows the access asked for.
void requireFor(const std::string& file, const CatalogueFileKind& kind, Access access)
{
    requireUsable(file, kind);
    if (access != Access::ReadWrite && kind.kind == CatalogueFileKind::Missing)
        throw CatalogueError(file, "el catálogo no existe");
    if (access != Access::ReadWrite && kind.kind == CatalogueFileKind::Empty)
        throw CatalogueError(file, "no es un catálogo de velsaro-clave; no se ha modificado");
}

} // namespace

Connection openCatalogueFile(const std::string& file, Access access)
{
    const CatalogueFileKind kind = identifyCatalogue(file);
    requireFor(file, kind, access);
    const bool create = access == Access::ReadWrite;
    Connection connection = openConnection(file, access, create && kind.kind == CatalogueFileKind::Missing);
    const bool readOnly = sqlite3_db_readonly(connection.get(), "main") != 0;
    if (readOnly && create)
        throw CatalogueError(file, "no se puede escribir en el catálogo (" + whyNotWritable(file) + ")");
    if (access == Access::Read) {
        readableFormat(connection);
        return connection;
    }
    // A search takes the catalogue as it is, but for the upgrade of one of the first format.
    if (readOnly || (access == Access::Search && kind.format == catalogueFormat)) {
        requireCurrentFormat(connection);
        return connection;
    }
    prepareCatalogue(connection, create);
    if (!create)
        return connection;
    useWriteAheadLog(connection);
    // A catalogue of a million pictures has a path index of some dozens of MiB: a page cache of 64 MiB
    // keeps the pages that storing and looking up touch from being read again and again. A search
    // reads every key once and is quicker without it.
    connection.execute("PRAGMA cache_size = -65536");
    return connection;
}

namespace {

bool isGone(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

} // namespace

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

Catalogue::Catalogue(const std::string& file, Access access)
    : connection_(openCatalogueFile(file, access)), pictures_(connection_)
{
}

Catalogue::~Catalogue()
{
    try {
        commit();
    } catch (const CatalogueError&) {
        // The pictures of the last batch are keyed again by the next run.
    }
}

std::optional<Key> Catalogue::storedKey(const std::string& path, const FileIdentity& now)
{
    std::lock_guard lock(mutex_);
    const std::optional<PictureRecord> record = pictures_.find(path);
    if (!record || !record->identity || !record->averages || !record->identity->isUnchangedIn(now))
        return std::nullopt;
    return keyOf(codesOfPackedKey(record->key), *record->averages);
}

void Catalogue::beginIfIdle()
{
    if (batch_)
        return;
    batch_.emplace(connection_);
    pending_ = 0;
    batchStart_ = std::chrono::steady_clock::now();
}

void Catalogue::store(const std::string& path, const FileIdentity& identity, const Key& key)
{
    std::lock_guard lock(mutex_);
    beginIfIdle();
    try {
        pictures_.put({path, identity, identity.size, identity.modified, packedKey(key.codes()), levelAveragesOf(key)});
    } catch (const CatalogueError&) {
        batch_.reset(); // the batch is dropped whole rather than committed later without this picture
        throw;
    }
    ++pending_;
}

void Catalogue::commitLocked()
{
    if (!batch_)
        return;
    try {
        batch_->commit();
    } catch (const CatalogueError&) {
        batch_.reset(); // rolled back whole
        throw;
    }
    batch_.reset();
}

void Catalogue::commitIfDue()
{
    std::lock_guard lock(mutex_);
    if (batch_ && (pending_ >= commitBatchSize || std::chrono::steady_clock::now() - batchStart_ >= commitInterval))
        commitLocked();
}

void Catalogue::commit()
{
    std::lock_guard lock(mutex_);
    commitLocked();
}

std::vector<std::vector<CatalogueMatch>> Catalogue::find(std::span<const KeyCodes> queries, int maxDistance)
{
    std::lock_guard lock(mutex_);
    std::vector<PackedKey> packed;
    for (const KeyCodes& query : queries)
        packed.push_back(packedKey(query));
    commitLocked();
    Transaction reading(connection_, Transaction::Intent::Read);
    return searchCatalogue(pictures_, packed, maxDistance);
}

// The files are looked at before the write lock is taken, and those found gone again under it: another
// run may have stored a path again in the meantime.
std::size_t Catalogue::prune()
{
    std::lock_guard lock(mutex_);
    commitLocked();
    std::vector<std::pair<std::int64_t, std::string>> gone; // number, path
    {
        Statement all(connection_, "SELECT id, path FROM pictures WHERE size IS NOT NULL");
        while (all.step())
            if (std::string path(all.bytes(1)); isGone(path))
                gone.emplace_back(all.number(0), std::move(path));
    }
    Transaction transaction(connection_);
    std::size_t removed = 0;
    for (const auto& [number, path] : gone)
        if (isGone(path))
            removed += pictures_.remove(number, path) ? 1 : 0;
    transaction.commit();
    return removed;
}

// The lists are read whole before the write lock is taken, so that a slow list (a pipe) keeps no other
// run waiting, and a malformed line stops the import before anything is stored.
std::size_t Catalogue::importKeys(const std::function<std::optional<ImportedKey>()>& next)
{
    std::vector<ImportedKey> keys;
    for (std::optional<ImportedKey> key = next(); key; key = next())
        keys.push_back(std::move(*key));
    std::lock_guard lock(mutex_);
    commitLocked();
    Transaction transaction(connection_);
    for (const ImportedKey& key : keys)
        pictures_.put({key.path, std::nullopt, std::nullopt, std::nullopt, packedKey(key.codes), std::nullopt});
    transaction.commit();
    return keys.size();
}

} // namespace velsaro::cli
