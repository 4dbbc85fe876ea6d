// Keying a batch of pictures, and comparing their keys.
#include "cli/actions.h"

#include "cli/catalogued_batch.h"
#include "cli/html_page.h"
#include "cli/near_groups.h"

namespace velsaro::cli {

namespace {

// The pictures of one batch, keyed in list order from their files or, when the options name a
// catalogue, through it.
class BatchRun {
public:
    BatchRun(const Options& options, Output& output) : options_(options), output_(output) {}

    // False, once the output has said why, when the catalogue cannot be used.
    bool open()
    {
        if (!options_.catalogue.empty())
            catalogue_ = openCatalogue(options_.catalogue, CatalogueAccess::ReadWrite, output_);
        entries_ = listPictures(options_.paths);
        if (catalogue_)
            catalogued_.emplace(*catalogue_, entries_, keying());
        return options_.catalogue.empty() || catalogue_;
    }

    // Hands each result to the output and each key to keep; true if every picture was keyed.
    bool keyAll(const ResultSink& keep)
    {
        bool allKeyed = true;
        output_.startProgress(entries_.size());
        const auto deliver = [&](const PictureResult& result) {
            output_.picture(result);
            allKeyed = allKeyed && result.key;
            if (result.key && keep)
                keep(result);
        };
        if (!catalogued_) {
            keyPictures(entries_, options_.jobs, keying(), deliver);
            return allKeyed;
        }
        std::size_t delivered = 0;
        keyPictures(
            entries_.size(), options_.jobs, [&](std::size_t index) { return catalogued_->key(index); },
            [&](const PictureResult& result) {
                catalogued_->keep(delivered++, result);
                deliver(result);
            },
            [&] { catalogued_->pause(); });
        return allKeyed;
    }

    // Commits the catalogue and prunes it if asked; a failing catalogue outweighs a failed picture.
    int finish(int status)
    {
        if (!catalogued_)
            return status;
        std::optional<std::string> failure = catalogued_->finish();
        try {
            if (!failure && options_.prune)
                catalogue_->prune();
        } catch (const CatalogueError& error) {
            failure = error.what();
        }
        if (!failure)
            return status;
        output_.error(options_.catalogue, *failure);
        return exitCatalogueError;
    }

private:
    // Near groups are confirmed by the fingerprints of what the keys read.
    Keying keying() const { return {options_.fit, options_.compare && options_.nearDistance > 0}; }

    const Options& options_;
    Output& output_;
    std::vector<PictureEntry> entries_;
    std::unique_ptr<Catalogue> catalogue_;
    std::optional<CataloguedBatch> catalogued_;
};

int statusOf(bool allKeyed)
{
    return allKeyed ? exitSuccess : exitSomePictureFailed;
}

// The table of distances, or, for more pictures than one table shows, a message and false.
bool writeMatrix(const std::vector<KeyedPicture>& keyed, Output& output)
{
    if (keyed.size() > maxMatrixPictures) {
        output.message("--matrix admite hasta " + std::to_string(maxMatrixPictures) + " imágenes y hay " +
                       std::to_string(keyed.size()) + "; se omite la tabla");
        return false;
    }
    output.matrix(distanceMatrix(keyed));
    return true;
}

// The page of --html, checked before any picture is keyed so that the keying is not wasted; none
// without --html. False, once the output has said why, when the page cannot be written.
bool preparedPage(const Options& options, std::optional<HtmlPage>& page, Output& output)
{
    if (options.htmlPage.empty())
        return true;
    page.emplace(options.htmlPage, options.fit);
    const std::optional<PageFailure> failure = page->prepare();
    if (failure)
        output.error(failure->path, failure->reason);
    return !failure;
}

bool writeHtml(HtmlPage& page, const Options& options, const std::vector<NearGroup>& groups, std::size_t pictureCount,
               Output& output)
{
    const std::optional<PageFailure> failure =
        page.write(groups, pictureCount, options.nearDistance, options.jobs, output.console());
    if (failure)
        output.error(failure->path, failure->reason);
    return !failure;
}

// Equal keys without --near; with it, near copies confirmed by their fingerprints.
std::vector<NearGroup> groupsOf(const std::vector<KeyedPicture>& keyed, const Options& options)
{
    if (!options.compare)
        return {};
    if (options.nearDistance == 0)
        return nearGroups(keyed, 0, options.jobs);
    return confirmedNearGroups(keyed, options.nearDistance, options.jobs);
}

} // namespace

int keyBatch(const Options& options, Output& output)
{
    BatchRun batch(options, output);
    if (!batch.open())
        return exitCatalogueError;
    const bool allKeyed = batch.keyAll({});
    output.finish();
    return batch.finish(statusOf(allKeyed));
}

int compareBatch(const Options& options, Output& output)
{
    std::optional<HtmlPage> page;
    if (!preparedPage(options, page, output))
        return exitSomePictureFailed;
    BatchRun batch(options, output);
    if (!batch.open())
        return exitCatalogueError;
    std::vector<KeyedPicture> keyed;
    bool allKeyed = batch.keyAll([&](const PictureResult& result) {
        keyed.push_back({result.key->codes(), result.path, result.fingerprint.value_or(Fingerprint{})});
    });
    const std::vector<NearGroup> groups = groupsOf(keyed, options);
    if (options.compare)
        output.groups(groups);
    if (options.matrix)
        allKeyed = writeMatrix(keyed, output) && allKeyed;
    if (page)
        allKeyed = writeHtml(*page, options, groups, keyed.size(), output) && allKeyed;
    output.finish();
    return batch.finish(statusOf(allKeyed));
}

} // namespace velsaro::cli
