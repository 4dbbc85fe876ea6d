// Searching a catalogue, folding catalogues together, importing keys, and dropping the pictures whose
// file is gone.
#include "cli/actions.h"

#include "cli/catalogued_batch.h"
#include "cli/key_list.h"

namespace velsaro::cli {

namespace {

// The key lines of the lists, one list after the other, as catalogued keys.
class ListedKeys {
public:
    explicit ListedKeys(const std::vector<std::string>& lists) : lists_(lists) {}

    std::optional<ImportedKey> next()
    {
        for (;;) {
            if (!reader_ && next_ == lists_.size())
                return std::nullopt;
            if (!reader_)
                reader_ = std::make_unique<KeyListReader>(lists_[next_++]);
            if (std::optional<ListedKey> listed = reader_->next())
                return ImportedKey{paths_(listed->path), listed->codes};
            reader_.reset();
        }
    }

private:
    const std::vector<std::string>& lists_;
    std::size_t next_ = 0;
    std::unique_ptr<KeyListReader> reader_;
    CataloguePaths paths_;
};

// Keys every picture first, so that the catalogue is read once for them all.
std::vector<PictureResult> keyedQueries(const Options& options)
{
    std::vector<PictureResult> queries;
    keyPictures(listPictures(options.paths), options.jobs,
                [&](const PictureResult& query) { queries.push_back(query); });
    return queries;
}

} // namespace

int findNearPictures(const Options& options, Output& output)
{
    const std::unique_ptr<Catalogue> catalogue = openCatalogue(options.catalogue, Access::Search, output);
    if (!catalogue)
        return exitCatalogueError;
    const std::vector<PictureResult> queries = keyedQueries(options);
    std::vector<KeyCodes> keys;
    for (const PictureResult& query : queries)
        if (query.key)
            keys.push_back(query.key->codes());
    std::vector<std::vector<CatalogueMatch>> matches(keys.size());
    bool catalogueFailed = false;
    try {
        matches = catalogue->find(keys, options.nearDistance);
    } catch (const CatalogueError& error) {
        output.error(error.file(), error.what());
        catalogueFailed = true;
    }
    bool anyFailed = false;
    std::size_t keyed = 0;
    for (const PictureResult& query : queries) {
        anyFailed = anyFailed || !query.key;
        output.query(query, query.key ? matches[keyed++] : std::vector<CatalogueMatch>{});
    }
    output.finish();
    return catalogueFailed ? exitCatalogueError : anyFailed ? exitSomePictureFailed : exitSuccess;
}

int mergeCatalogues(const Options& options, Output& output)
{
    const std::unique_ptr<Catalogue> catalogue = openCatalogue(options.catalogue, Access::ReadWrite, output);
    if (!catalogue)
        return exitCatalogueError;
    int status = exitSuccess;
    for (const std::string& other : options.paths) {
        try {
            catalogue->merge(other);
        } catch (const CatalogueError& error) {
            output.error(error.file(), error.what());
            status = exitCatalogueError;
        }
    }
    return status;
}

int importKeyLists(const Options& options, Output& output)
{
    const std::unique_ptr<Catalogue> catalogue = openCatalogue(options.catalogue, Access::ReadWrite, output);
    if (!catalogue)
        return exitCatalogueError;
    ListedKeys listed(options.paths);
    try {
        output.importedCount(catalogue->importKeys([&] { return listed.next(); }));
        return exitSuccess;
    } catch (const KeyListError& error) {
        const std::string where = error.line() == 0 ? error.list() : error.list() + ":" + std::to_string(error.line());
        output.error(where, std::string(error.what()) + "; no se ha importado nada");
        return exitSomePictureFailed;
    } catch (const CatalogueError& error) {
        output.error(error.file(), error.what());
        return exitCatalogueError;
    }
}

int pruneCatalogue(const Options& options, Output& output)
{
    const std::unique_ptr<Catalogue> catalogue = openCatalogue(options.catalogue, Access::ReadWrite, output);
    if (!catalogue)
        return exitCatalogueError;
    try {
        output.prunedCount(catalogue->prune());
        return exitSuccess;
    } catch (const CatalogueError& error) {
        output.error(error.file(), error.what());
        return exitCatalogueError;
    }
}

} // namespace velsaro::cli
