// Searching a catalogue, folding catalogues together, and dropping the pictures whose file is gone.
#include "cli/actions.h"

#include "cli/catalogued_batch.h"

namespace velsaro::cli {

int findNearPictures(const Options& options, Output& output)
{
    if (!catalogueExists(options.catalogue)) {
        output.error(options.catalogue, "el catálogo no existe");
        return exitCatalogueError;
    }
    const std::unique_ptr<Catalogue> catalogue =
        openCatalogue(options.catalogue, Catalogue::Access::ReadOnly, output);
    if (!catalogue)
        return exitCatalogueError;
    bool anyFailed = false;
    bool catalogueFailed = false;
    keyPictures(listPictures(options.paths), options.jobs, [&](const PictureResult& query) {
        std::vector<CatalogueMatch> matches;
        anyFailed = anyFailed || !query.key;
        try {
            if (query.key && !catalogueFailed)
                matches = catalogue->find(query.key->codes(), options.nearDistance);
        } catch (const CatalogueError& error) {
            output.error(options.catalogue, error.what());
            catalogueFailed = true;
        }
        output.query(query, matches);
    });
    output.finish();
    return catalogueFailed ? exitCatalogueError : anyFailed ? exitSomePictureFailed : exitSuccess;
}

int mergeCatalogues(const Options& options, Output& output)
{
    const std::unique_ptr<Catalogue> catalogue =
        openCatalogue(options.catalogue, Catalogue::Access::ReadWrite, output);
    if (!catalogue)
        return exitCatalogueError;
    int status = exitSuccess;
    for (const std::string& other : options.paths) {
        try {
            catalogue->merge(other);
        } catch (const CatalogueError& error) {
            output.error(other, error.what());
            status = exitCatalogueError;
        }
    }
    return status;
}

int pruneCatalogue(const Options& options, Output& output)
{
    const std::unique_ptr<Catalogue> catalogue =
        openCatalogue(options.catalogue, Catalogue::Access::ReadWrite, output);
    if (!catalogue)
        return exitCatalogueError;
    try {
        output.prunedCount(catalogue->prune());
        return exitSuccess;
    } catch (const CatalogueError& error) {
        output.error(options.catalogue, error.what());
        return exitCatalogueError;
    }
}

} // namespace velsaro::cli
