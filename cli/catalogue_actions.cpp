// Searching a catalogue, folding catalogues together, importing keys, and dropping the pictures whose
// file is gone.
#include "cli/actions.h"

#include "catalogue/key_list.h"
#include "cli/catalogued_batch.h"

namespace velsaro::cli {

namespace {

// Keys every picture first, with the fingerprint of what its key read, so that the catalogue is read
// once for them all.
std::vector<PictureResult> keyedQueries(const Options& options)
{
    std::vector<PictureResult> queries;
    keyPictures(listPictures(options.paths), options.jobs, {options.fit, true},
                [&](const PictureResult& query) { queries.push_back(query); });
    return queries;
}

// Hands the search's answers to the output in the order of the pictures, the failed ones among them.
class QueryAnswers final : public SearchReceiver {
public:
    QueryAnswers(const std::vector<PictureResult>& queries, Output& output) : queries_(queries), output_(output) {}

    // The keyed queries, in order.
    std::vector<CatalogueQuery> keys() const
    {
        std::vector<CatalogueQuery> keys;
        for (const PictureResult& query : queries_)
            if (query.key)
                keys.push_back({query.key->codes(), query.fingerprint});
        return keys;
    }

    void startQuery(std::size_t) override { writeThroughKeyed(); }
    void match(const CatalogueMatch& match) override { output_.match(match); }

    // The queries after the last one the search reached.
    void finish()
    {
        while (next_ < queries_.size())
            output_.query(queries_[next_++]);
    }

private:
    // The failed queries up to the next keyed one, and that one.
    void writeThroughKeyed()
    {
        while (next_ < queries_.size() && !queries_[next_].key)
            output_.query(queries_[next_++]);
        if (next_ < queries_.size())
            output_.query(queries_[next_++]);
    }

    const std::vector<PictureResult>& queries_;
    Output& output_;
    std::size_t next_ = 0;
};

} // namespace

int findNearPictures(const Options& options, Output& output)
{
    const std::unique_ptr<Catalogue> catalogue = openCatalogue(options.catalogue, CatalogueAccess::Search, output);
    if (!catalogue)
        return exitCatalogueError;
    const std::vector<PictureResult> queries = keyedQueries(options);
    QueryAnswers answers(queries, output);
    int status = exitSuccess;
    try {
        catalogue->find(answers.keys(), options.nearDistance, options.fit ? KeyKind::Fitted : KeyKind::Plain, answers);
    } catch (const CatalogueError& error) {
        output.error(error.file(), error.what());
        status = exitCatalogueError;
    }
    answers.finish();
    output.finish();
    const bool anyFailed = std::any_of(queries.begin(), queries.end(), [](const auto& query) { return !query.key; });
    return status != exitSuccess ? status : anyFailed ? exitSomePictureFailed : exitSuccess;
}

// Every catalogue merged from is checked before the target is opened, so that a merge refused for any
// of them makes and changes nothing.
int mergeCatalogues(const Options& options, Output& output)
{
    int status = exitSuccess;
    for (const std::string& other : options.paths) {
        try {
            requireMergeable(other);
        } catch (const CatalogueError& error) {
            output.error(error.file(), error.what());
            status = exitCatalogueError;
        }
    }
    const std::unique_ptr<Catalogue> catalogue =
        status == exitSuccess ? openCatalogue(options.catalogue, CatalogueAccess::ReadWrite, output) : nullptr;
    if (!catalogue)
        return exitCatalogueError;
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
    const std::unique_ptr<Catalogue> catalogue = openCatalogue(options.catalogue, CatalogueAccess::ReadWrite, output);
    if (!catalogue)
        return exitCatalogueError;
    try {
        output.imported(catalogue->importKeyLists(options.paths));
        return exitSuccess;
    } catch (const KeyListError& error) {
        output.error(error.line() == 0 ? error.list() : error.list() + ":" + std::to_string(error.line()), error.what());
        return exitSomePictureFailed;
    } catch (const CatalogueError& error) {
        output.error(error.file(), error.what());
        return exitCatalogueError;
    }
}

int pruneCatalogue(const Options& options, Output& output)
{
    const std::unique_ptr<Catalogue> catalogue = openCatalogue(options.catalogue, CatalogueAccess::ReadWrite, output);
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
