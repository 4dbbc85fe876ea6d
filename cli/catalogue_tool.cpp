#include "cli/catalogue_tool.h"

#include "cli/json_output.h"
#include "cli/near_output.h"
#include "cli/text_output.h"

#include <memory>

namespace velsaro::cli {

namespace {

void write(std::FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

// The catalogue of options, or none after writing why it cannot be used.
std::unique_ptr<Catalogue> openCatalogue(const Options& options, const Console& console,
                                         Catalogue::Access access = Catalogue::Access::ReadWrite)
{
    try {
        return std::make_unique<Catalogue>(options.catalogue, access);
    } catch (const CatalogueError& error) {
        write(console.err, errorLine(options.catalogue, error.what()));
        return nullptr;
    }
}

} // namespace

CataloguedBatch::CataloguedBatch(Catalogue& catalogue, const std::vector<PictureEntry>& entries)
    : catalogue_(catalogue), entries_(entries), stamps_(entries.size())
{
}

PictureResult CataloguedBatch::key(std::size_t index)
{
    const PictureEntry& entry = entries_[index];
    if (!entry.error.empty())
        return keyPicture(entry);
    // The stamp is taken before the file is read: a file changed while it is read is keyed again by
    // the next run rather than kept under the new stamp.
    const std::optional<FileStamp> stamp = fileStamp(entry.path);
    if (stamp) {
        try {
            if (std::optional<Key> stored = catalogue_.storedKey(cataloguePath(entry.path), *stamp))
                return {entry.path, std::move(stored), {}};
        } catch (const CatalogueError&) {
            // Keyed from the file instead; a catalogue that fails for good fails its writes too.
        }
    }
    PictureResult result = keyPicture(entry);
    if (result.key)
        stamps_[index] = stamp;
    return result;
}

void CataloguedBatch::keep(std::size_t index, const PictureResult& result)
{
    if (error_)
        return;
    try {
        if (stamps_[index] && result.key)
            catalogue_.store(cataloguePath(result.path), *stamps_[index], codesOfKey(*result.key),
                             levelAveragesOf(*result.key));
        // Also after a key taken from the catalogue: a batch begun by one new picture is committed on
        // time however many stored ones follow it.
        catalogue_.commitIfDue();
    } catch (const CatalogueError& error) {
        fail(error);
    }
}

void CataloguedBatch::pause()
{
    if (error_)
        return;
    try {
        catalogue_.commit();
    } catch (const CatalogueError& error) {
        fail(error);
    }
}

std::optional<std::string> CataloguedBatch::finish()
{
    pause();
    return error_;
}

void CataloguedBatch::fail(const CatalogueError& error)
{
    error_ = error.what();
}

int findInCatalogue(const Options& options, const Console& console)
{
    if (!catalogueExists(options.catalogue)) {
        write(console.err, errorLine(options.catalogue, "el catálogo no existe"));
        return exitCatalogueError;
    }
    const std::unique_ptr<Catalogue> catalogue = openCatalogue(options, console, Catalogue::Access::ReadOnly);
    if (!catalogue)
        return exitCatalogueError;
    const std::vector<PictureEntry> entries = listPictures(options.paths);
    if (options.json)
        write(console.out, "{\"queries\": [\n");
    bool anyFailed = false;
    bool catalogueFailed = false;
    std::size_t done = 0;
    keyPictures(entries, options.jobs, [&](const PictureResult& query) {
        std::vector<CatalogueMatch> matches;
        if (!query.key) {
            write(console.err, errorLine(query.path, query.error));
            anyFailed = true;
        } else if (!catalogueFailed) {
            try {
                matches = catalogue->find(codesOfKey(*query.key), options.nearDistance);
            } catch (const CatalogueError& error) {
                write(console.err, errorLine(options.catalogue, error.what()));
                catalogueFailed = true;
            }
        }
        if (options.json)
            write(console.out, (done++ > 0 ? jsonPictureSeparator() : "") + jsonQuery(query, matches));
        else if (query.key)
            write(console.out, findText(query, matches));
    });
    if (options.json)
        write(console.out, jsonDocumentEnd({}));
    return catalogueFailed ? exitCatalogueError : anyFailed ? exitSomePictureFailed : exitSuccess;
}

int mergeCatalogues(const Options& options, const Console& console)
{
    const std::unique_ptr<Catalogue> catalogue = openCatalogue(options, console);
    if (!catalogue)
        return exitCatalogueError;
    int status = exitSuccess;
    for (const std::string& other : options.paths) {
        try {
            catalogue->merge(other);
        } catch (const CatalogueError& error) {
            write(console.err, errorLine(other, error.what()));
            status = exitCatalogueError;
        }
    }
    return status;
}

} // namespace velsaro::cli
