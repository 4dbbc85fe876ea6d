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
    flushBuffered();
}

void Output::query(const PictureResult& query)
{
    if (!query.key)
        error(query.path, query.error);
    writeQuery(query);
}

void Output::match(const CatalogueMatch& match)
{
    writeMatch(match);
}

void Output::prunedCount(std::size_t count)
{
    writePruned(count);
}

void Output::imported(const ImportSummary& summary)
{
    writeImported(summary);
}

void Output::error(const std::string& path, const std::string& reason)
{
    flushBuffered();
    progress_.erase();
    print(console_.err, errorLine(path, reason));
}

void Output::message(const std::string& text)
{
    flushBuffered();
    progress_.erase();
    print(console_.err, "velsaro-clave: " + text + "\n");
}

// The progress line shares the terminal with the output only when both go to it.
void Output::printOut(std::string_view text)
{
    flushBuffered();
    if (console_.outIsTerminal)
        progress_.erase();
    print(console_.out, text);
}

void Output::printBuffered(std::string_view text)
{
    buffered_.append(text);
    if (buffered_.size() >= 65536)
        flushBuffered();
}

void Output::flushBuffered()
{
    if (buffered_.empty())
        return;
    if (console_.outIsTerminal)
        progress_.erase();
    print(console_.out, buffered_);
    buffered_.clear();
}

std::unique_ptr<Output> makeOutput(const Options& options, const Console& console)
{
    if (options.json)
        return std::make_unique<JsonOutput>(console, options.action == Action::Find ? "queries" : "pictures");
    return std::make_unique<TextOutput>(console, options.nearDistance > 0);
}

} // namespace velsaro::cli
