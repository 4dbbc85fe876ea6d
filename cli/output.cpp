#include "cli/output.h"

#include "cli/json_output.h"
#include "cli/text_output.h"

namespace velsaro::cli {

Output::Output(const Console& console) : console_(console), progress_(console.err, 0, false) {}

void Output::startProgress(std::size_t total)
{
    progress_ = ProgressLine(console_.err, total, console_.errIsTerminal && total > quietBatchSize);
    done_ = 0;
    progress_.update(0);
}

void Output::picture(const PictureResult& result)
{
    if (!result.key)
        error(result.path, result.error);
    writePicture(result);
    progress_.update(++done_);
}

void Output::groups(const std::vector<NearGroup>& groups)
{
    progress_.erase();
    writeGroups(groups);
}

void Output::matrix(const DistanceMatrix& matrix)
{
    progress_.erase();
    writeMatrix(matrix);
}

void Output::finish()
{
    progress_.erase();
    writeEnd();
}

void Output::query(const PictureResult& query, const std::vector<CatalogueMatch>& matches)
{
    if (!query.key)
        error(query.path, query.error);
    writeQuery(query, matches);
}

void Output::prunedCount(std::size_t count)
{
    printOut("Imágenes quitadas del catálogo: " + std::to_string(count) + "\n");
}

void Output::importedCount(std::size_t count)
{
    printOut("Imágenes importadas al catálogo: " + std::to_string(count) + "\n");
}

void Output::error(const std::string& path, const std::string& reason)
{
    progress_.erase();
    print(console_.err, errorLine(path, reason));
}

void Output::message(const std::string& text)
{
    progress_.erase();
    print(console_.err, "velsaro-clave: " + text + "\n");
}

// The progress line shares the terminal with the output only when both go to it.
void Output::printOut(std::string_view text)
{
    if (console_.outIsTerminal)
        progress_.erase();
    print(console_.out, text);
}

std::unique_ptr<Output> makeOutput(const Options& options, const Console& console)
{
    if (options.json)
        return std::make_unique<JsonOutput>(console, options.action == Action::Find ? "queries" : "pictures");
    return std::make_unique<TextOutput>(console, options.nearDistance > 0);
}

} // namespace velsaro::cli
