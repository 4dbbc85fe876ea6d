#include "cli/tool.h"

#include "cli/arguments.h"
#include "cli/batch.h"
#include "cli/json_output.h"
#include "cli/picture_list.h"
#include "cli/progress_line.h"
#include "cli/text_output.h"

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
          progress_(console.err, total, console.errIsTerminal && total > quietBatchSize)
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
        } else if (options_.compare) {
            groups_.add(result.key->text, result.path);
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
        if (options_.json)
            write(console_.out, jsonDocumentEnd(options_.compare, groups_.groups()));
        else if (options_.compare)
            write(console_.out, groupsText(groups_.groups()));
        return anyFailed_ ? exitSomePictureFailed : exitSuccess;
    }

private:
    const Options& options_;
    const Console& console_;
    ProgressLine progress_;
    KeyGroups groups_;
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
    return keyAll(parsed.options, console);
}

} // namespace velsaro::cli
