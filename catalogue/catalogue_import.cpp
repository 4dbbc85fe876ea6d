// Storing the keys of the tool's own text output. Every list is read and checked whole into a table of
// the connection's own temporary file first, so that a bad line stores nothing and no other run waits
// meanwhile; then the keys go into the catalogue in order of their paths, in short batches, so that
// each batch touches a few neighbouring pages of the path index however the lists are ordered, and
// other runs on the catalogue wait for one batch at most, never for the whole import.
#include "catalogue/catalogue.h"

#include "catalogue/catalogue_store.h"
#include "catalogue/key_list.h"
#include "catalogue/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace velsaro {

using namespace detail;

namespace {

// A batch holds the write lock for this many keys (a fraction of a second); then the import pauses so
// that others may write.
constexpr std::size_t batchRecords = 50'000;
constexpr std::chrono::milliseconds pauseBetweenBatches{20};

// The staged keys' table, in the temporary file SQLite keeps beside each connection.
void createStaging(const Connection& connection)
{
    connection.execute("DROP TABLE IF EXISTS temp.staged_keys");
    connection.execute("PRAGMA temp.page_size = 65536");
    connection.execute("CREATE TEMP TABLE staged_keys (path BLOB NOT NULL, line INTEGER NOT NULL, key BLOB NOT NULL)");
    connection.execute("PRAGMA temp.cache_size = -65536");
}

// Reads every key line of list into the staged keys, and counts them.
void stageList(const Connection& connection, const std::string& list, ImportSummary& summary)
{
    std::FILE* stream = list == "-" ? stdin : std::fopen(list.c_str(), "rb");
    if (stream == nullptr)
        throw KeyListError(list, 0, std::string("no se puede leer la lista (") + std::strerror(errno) + ")");
    const auto closer = [](std::FILE* opened) { if (opened != stdin) std::fclose(opened); };
    const std::unique_ptr<std::FILE, decltype(closer)> closing(stream, closer);
    // Relative paths lead from the list's folder, or from the current one for standard input.
    CataloguePaths paths(list == "-" ? std::string() : folderAndName(list).first);
    KeyListReader reader(list, stream);
    Statement stage(connection, "INSERT INTO temp.staged_keys (path, line, key) VALUES (?1, ?2, ?3)");
    for (std::optional<ListedKey> listed = reader.next(); listed; listed = reader.next()) {
        const std::string path = paths(listed->path);
        const PackedKey key = packedKey(listed->codes);
        ++summary.imported;
        stage.bindBytes(1, path).bind(2, std::int64_t(summary.imported));
        stage.bindBytes(3, {reinterpret_cast<const char*>(&key), sizeof key}).step();
    }
}

ImportSummary stagedLists(const Connection& connection, const std::vector<std::string>& lists)
try {
    ImportSummary summary;
    // Deferred: writing the temporary file alone takes no lock on the catalogue.
    Transaction staging(connection, Transaction::Intent::Read);
    for (const std::string& list : lists)
        stageList(connection, list, summary);
    // Of two lines of one path the later one stays, as if stored line by line; the key is in the index
    // so that reading in this order reads the index alone.
    connection.execute("CREATE INDEX temp.staged_order ON staged_keys (path, line, key)");
    staging.commit();
    return summary;
} catch (const KeyListError& error) {
    throw KeyListError(error.list(), error.line(), error.what() + std::string("; no se ha importado nada"));
}

// Where the batch after (path, line) ends: its last staged key's path and line; none when no key is
// left.
std::optional<std::pair<std::string, std::int64_t>> batchEnd(const Connection& connection, const std::string& path,
                                                            std::int64_t line)
{
    Statement last(connection, "SELECT path, line FROM (SELECT path, line FROM temp.staged_keys WHERE (path, line) > "
                               "(?1, ?2) ORDER BY path, line LIMIT " + std::to_string(batchRecords) +
                               ") ORDER BY path DESC, line DESC LIMIT 1");
    last.bindBytes(1, path).bind(2, line);
    if (!last.step())
        return std::nullopt;
    std::pair<std::string, std::int64_t> end(last.bytes(0), last.number(1));
    last.reset();
    return end;
}

// The staged keys after `from` up to `to` into the catalogue, by two statements for the whole batch:
// the records first (an imported record has no file identity), then their numbers with the keys.
void storeBatch(PictureTable& pictures, const Connection& connection, const std::pair<std::string, std::int64_t>& from,
                const std::pair<std::string, std::int64_t>& to, RegularFiles& files, ImportSummary& summary)
{
    const std::string inBatch = " WHERE (staged.path, staged.line) > (?1, ?2) AND (staged.path, staged.line) <= (?3, ?4)";
    Statement records(connection, "INSERT INTO pictures (path) SELECT path FROM temp.staged_keys AS staged" + inBatch +
                                      " ORDER BY path, line ON CONFLICT (path) DO UPDATE SET size = NULL, modified = "
                                      "NULL, changed = NULL, inode = NULL, device = NULL, keyed = NULL, averages = NULL, "
                                      "fingerprint = NULL, fitted_averages = NULL, fitted_fingerprint = NULL");
    Statement numbers(connection, "SELECT pictures.id, staged.key, staged.path FROM temp.staged_keys AS staged JOIN pictures ON "
                                  "pictures.path = staged.path" + inBatch + " ORDER BY staged.path, staged.line");
    for (Statement* statement : {&records, &numbers})
        statement->bindBytes(1, from.first).bind(2, from.second).bindBytes(3, to.first).bind(4, to.second);
    records.step();
    std::vector<std::pair<std::int64_t, PackedKey>> keys;
    while (numbers.step()) {
        PackedKey key;
        std::memcpy(&key, numbers.bytes(1).data(), std::min(sizeof key, numbers.bytes(1).size()));
        keys.emplace_back(numbers.number(0), key);
        summary.withoutFile += files.contains(std::string(numbers.bytes(2))) ? 0 : 1;
    }
    // Of two lines of one path the later one, which comes later here, is the one kept.
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    pictures.keys().putSorted(keys);
    // An imported record has no fingerprint: a hash left from the file's keying would turn its key away.
    std::vector<std::int64_t> imported;
    for (const auto& [number, key] : keys)
        imported.push_back(number);
    pictures.hashes().removeSorted(imported);
}

} // namespace

ImportSummary Catalogue::importKeyLists(const std::vector<std::string>& lists)
{
    std::lock_guard lock(store_->mutex);
    store_->commitLocked();
    const Connection& connection = store_->opened.connection;
    createStaging(connection);
    ImportSummary summary = stagedLists(connection, lists);
    // Counted as the keys are stored, in order of paths: folder by folder.
    RegularFiles files;
    std::pair<std::string, std::int64_t> from{"", 0};
    while (const auto to = batchEnd(connection, from.first, from.second)) {
        Transaction batch(connection);
        storeBatch(*store_->pictures, connection, from, *to, files, summary);
        batch.commit();
        from = *to;
        std::this_thread::sleep_for(pauseBetweenBatches);
    }
    connection.execute("DROP TABLE temp.staged_keys");
    return summary;
}

} // namespace velsaro
