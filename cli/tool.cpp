#include "cli/tool.h"

#include "cli/arguments.h"
#include "cli/batch.h"
#include "cli/catalogue_tool.h"
#include "cli/json_output.h"
#include "cli/near_output.h"
#include "cli/picture_list.h"
#include "cli/progress_line.h"
#include "cli/text_output.h"

#include <memory>
#include <thread>

namespace velsaro::cli {

namespace {

int defaultJobs()
{
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

void write(std::FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

// Writes each result as it is delivered, keeping the progress line out of the way of the output.
class ResultWriter {
public:
    ResultWriter(const Options& options, const Console& console, std::size_t total)
        : options_(options), console_(console),
          progress_(console.err, total, console.errIsTerminal && total > quietBatchSize),
          groups_(options.nearDistance)
    {
        if (options_.json)
            write(console_.out, jsonDocumentStart());
        progress_.update(0);
    }

    void add(const PictureResult& result)
    {
        if (console_.outIsTerminal || !result.key)
            progress_.erase();
        if (!result.key) {
            write(console_.err, errorLine(result.path, result.error));
            anyFailed_ = true;
        } else {
            if (options_.compare)
                groups_.add(codesOfKey(*result.key), result.path);
            if (options_.matrix) {
                keyedPaths_.push_back(result.path);
                keyedCodes_.push_back(codesOfKey(*result.key));
            }
        }
        if (options_.json)
            write(console_.out, (done_ > 0 ? jsonPictureSeparator() : "") + jsonPicture(result));
        else if (result.key)
            write(console_.out, keyLine(result.key->text, result.path));
        progress_.update(++done_);
    }

    int finish()
    {
        progress_.erase();
        const bool withMatrix = options_.matrix && matrixFits();
        const DistanceMatrix matrix = withMatrix ? distanceMatrix(keyedPaths_, keyedCodes_) : DistanceMatrix{};
        if (options_.json) {
            JsonMembers members;
            if (options_.compare)
                members.emplace_back("groups", jsonGroups(groups_.groups()));
            if (withMatrix)
                members.emplace_back("matrix", jsonMatrix(matrix));
            write(console_.out, jsonDocumentEnd(members));
        } else {
            if (options_.compare && options_.nearDistance == 0)
                write(console_.out, groupsText(keyGroupsOf(groups_.groups())));
            else if (options_.compare)
                write(console_.out, nearGroupsText(groups_.groups()));
            if (withMatrix)
                write(console_.out, matrixText(matrix));
        }
        return anyFailed_ ? exitSomePictureFailed : exitSuccess;
    }

private:
    bool matrixFits()
    {
        if (keyedPaths_.size() <= maxMatrixPictures)
            return true;
        write(console_.err, "velsaro-clave: --matrix admite hasta " + std::to_string(maxMatrixPictures) +
                                " imágenes y hay " + std::to_string(keyedPaths_.size()) +
                                "; se omite la tabla\n");
        anyFailed_ = true;
        return false;
    }

    const Options& options_;
    const Console& console_;
    ProgressLine progress_;
    NearGroups groups_;
    std::vector<std::string> keyedPaths_; // for --matrix
    std::vector<KeyCodes> keyedCodes_;
    std::size_t done_ = 0;
    bool anyFailed_ = false;
};

int keyAll(const Options& options, const Console& console)
{
    const std::vector<PictureEntry> entries = listPictures(options.paths);
    ResultWriter writer(options, console, entries.size());
    keyPictures(entries, options.jobs, [&](const PictureResult& result) { writer.add(result); });
    return writer.finish();
}

// The keys through a catalogue, then --prune; a failing catalogue outweighs a failed picture.
int keyThroughCatalogue(const Options& options, const Console& console)
{
    std::unique_ptr<Catalogue> catalogue;
    try {
        catalogue = std::make_unique<Catalogue>(options.catalogue);
    } catch (const CatalogueError& error) {
        write(console.err, errorLine(options.catalogue, error.what()));
        return exitCatalogueError;
    }
    int status = exitSuccess;
    std::optional<std::string> failure;
    if (!options.paths.empty()) {
        const std::vector<PictureEntry> entries = listPictures(options.paths);
        ResultWriter writer(options, console, entries.size());
        CataloguedBatch batch(*catalogue, entries);
        std::size_t delivered = 0;
        keyPictures(
            entries.size(), options.jobs, [&](std::size_t index) { return batch.key(index); },
            [&](const PictureResult& result) {
                batch.keep(delivered++, result);
                writer.add(result);
            },
            [&] { batch.pause(); });
        status = writer.finish();
        failure = batch.finish();
    }
    if (!failure && options.prune) {
        try {
            const std::size_t removed = catalogue->prune();
            if (options.paths.empty())
                write(console.out, "Imágenes quitadas del catálogo: " + std::to_string(removed) + "\n");
        } catch (const CatalogueError& error) {
            failure = error.what();
        }
    }
    if (!failure)
        return status;
    write(console.err, errorLine(options.catalogue, *failure));
    return exitCatalogueError;
}

} // namespace

int runTool(const std::vector<std::string>& arguments, const Console& console)
{
    const ParsedArguments parsed = parseArguments(arguments, defaultJobs());
    switch (parsed.request) {
    case Request::ShowHelp:
        write(console.out, helpText(defaultJobs()));
        return exitSuccess;
    case Request::ShowVersion:
        write(console.out, versionText());
        return exitSuccess;
    case Request::UsageError:
        write(console.err, "velsaro-clave: " + parsed.error + "\n" + helpHint() + "\n");
        return exitUsageError;
    case Request::Run:
        break;
    }
    const Options& options = parsed.options;
    if (options.find)
        return findInCatalogue(options, console);
    if (options.merge)
        return mergeCatalogues(options, console);
    if (!options.catalogue.empty())
        return keyThroughCatalogue(options, console);
    return keyAll(options, console);
}

} // namespace velsaro::cli
