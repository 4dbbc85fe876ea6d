// Storing the keys of the tool's own text output: every list is read and checked whole first, so that a
// bad line stores nothing, then read again and stored in short batches, so that other runs on the
// catalogue wait for a batch at most, never for the whole import.
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

// A batch holds the write lock for about this long; then the import lets others write for a moment.
constexpr std::chrono::milliseconds batchTime{250};
constexpr std::chrono::milliseconds pauseBetweenBatches{20};
constexpr std::size_t batchRecords = 100'000;

// A list to read twice: a file as it is; standard input, which can be read once, first copied to an
// unnamed temporary file.
class ListFile {
public:
    explicit ListFile(const std::string& list) : name_(list)
    {
        stream_ = list == "-" ? copyOfStandardInput() : std::fopen(list.c_str(), "rb");
        if (stream_ == nullptr)
            fail(errno);
        if (list != "-")
            base_ = folderAndName(list).first;
    }
    ~ListFile() { std::fclose(stream_); }
    ListFile(const ListFile&) = delete;
    ListFile& operator=(const ListFile&) = delete;

    // Its key lines from the start.
    KeyListReader reader()
    {
        std::rewind(stream_);
        return KeyListReader(name_, stream_);
    }
    // Where its relative paths lead from: the list's folder, or the current one for standard input.
    CataloguePaths paths() const { return CataloguePaths(base_); }

private:
    std::FILE* copyOfStandardInput()
    {
        std::FILE* copy = std::tmpfile();
        char buffer[1 << 16];
        for (std::size_t count; copy != nullptr && (count = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;)
            if (std::fwrite(buffer, 1, count, copy) != count)
                fail(errno);
        if (std::ferror(stdin))
            fail(errno);
        return copy;
    }
    [[noreturn]] void fail(int error) const
    {
        throw KeyListError(name_, 0, std::string("no se puede leer la lista (") + std::strerror(error) + "); no se ha importado nada");
    }

    std::string name_;
    std::string base_;
    std::FILE* stream_ = nullptr;
};

// Every line parsed and every path resolved, nothing stored: how many keys, and how many lead nowhere.
ImportSummary checked(std::vector<std::unique_ptr<ListFile>>& lists)
try {
    ImportSummary summary;
    for (const auto& list : lists) {
        KeyListReader reader = list->reader();
        CataloguePaths paths = list->paths();
        for (std::optional<ListedKey> listed = reader.next(); listed; listed = reader.next()) {
            ++summary.imported;
            summary.withoutFile += presenceOf(paths(listed->path)) == FilePresence::Regular ? 0 : 1;
        }
    }
    return summary;
} catch (const KeyListError& error) {
    throw KeyListError(error.list(), error.line(), error.what() + std::string("; no se ha importado nada"));
}

// Stores keys from reader until it ends or the batch is full; whether it ended.
bool storeBatch(PictureTable& pictures, KeyListReader& reader, CataloguePaths& paths)
{
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::pair<std::int64_t, PackedKey>> keys;
    std::optional<ListedKey> listed;
    while (keys.size() < batchRecords && std::chrono::steady_clock::now() - start < batchTime) {
        if (!(listed = reader.next()))
            break;
        const PackedKey key = packedKey(listed->codes);
        if (const auto number = pictures.putRecord({paths(listed->path), std::nullopt, std::nullopt, std::nullopt, key, std::nullopt}))
            keys.emplace_back(*number, key);
    }
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    pictures.keys().putSorted(keys);
    return !listed;
}

// Stores every key line of list in batches.
void storeList(Catalogue::Store& store, ListFile& list)
try {
    KeyListReader reader = list.reader();
    CataloguePaths paths = list.paths();
    for (bool ended = false; !ended;) {
        {
            std::lock_guard lock(store.mutex);
            store.commitLocked();
            Transaction transaction(store.opened.connection);
            ended = storeBatch(*store.pictures, reader, paths);
            transaction.commit();
        }
        if (!ended)
            std::this_thread::sleep_for(pauseBetweenBatches);
    }
} catch (const KeyListError& error) { // the list has changed since it was checked
    throw KeyListError(error.list(), error.line(),
                       error.what() + std::string("; la lista ha cambiado durante la importación y solo se han "
                                                  "importado las líneas anteriores"));
}

} // namespace

ImportSummary Catalogue::importKeyLists(const std::vector<std::string>& names)
{
    std::vector<std::unique_ptr<ListFile>> lists;
    for (const std::string& name : names)
        lists.push_back(std::make_unique<ListFile>(name));
    const ImportSummary summary = checked(lists);
    for (const auto& list : lists)
        storeList(*store_, *list);
    return summary;
}

} // namespace velsaro
