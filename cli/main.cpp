// velsaro-clave: the keys of picture files, from the command line. main reads the command line once,
// chooses the output format and calls the one action asked for.
#include "cli/actions.h"
#include "cli/arguments.h"
#include "cli/batch.h"
#include "cli/console.h"
#include "cli/output.h"

#include <QLoggingCategory>

#include <unistd.h>

#include <algorithm>
#include <thread>

namespace {

using namespace velsaro::cli;

// One worker per processor unless -j says otherwise.
int defaultJobs()
{
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

int runAction(const Options& options, Output& output)
{
    switch (options.action) {
    case Action::Key: return keyBatch(options, output);
    case Action::Compare: return compareBatch(options, output);
    case Action::Find: return findNearPictures(options, output);
    case Action::Merge: return mergeCatalogues(options, output);
    case Action::Import: return importKeyLists(options, output);
    case Action::Prune: return pruneCatalogue(options, output);
    }
    return exitUsageError;
}

} // namespace

int main(int argc, char** argv)
{
    // Qt's decoders report damaged files on the error stream; the tool already gives every failed
    // picture its one line there.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    keepPictureMemory();

    const Console console{stdout, stderr, isatty(STDOUT_FILENO) == 1, isatty(STDERR_FILENO) == 1};
    const ParsedArguments parsed = parseArguments(std::vector<std::string>(argv + 1, argv + argc), defaultJobs());
    switch (parsed.request) {
    case Request::ShowHelp: print(console.out, helpText(defaultJobs())); return exitSuccess;
    case Request::ShowVersion: print(console.out, versionText()); return exitSuccess;
    case Request::UsageError:
        print(console.err, "velsaro-clave: " + parsed.error + "\n" + helpHint() + "\n");
        return exitUsageError;
    case Request::Run: break;
    }
    const std::unique_ptr<Output> output = makeOutput(parsed.options, console);
    return runAction(parsed.options, *output);
}
