// velsaro-clave: the keys of picture files, from the command line.
#include "cli/tool.h"

#include <QLoggingCategory>

#include <unistd.h>

int main(int argc, char** argv)
{
    // Qt's decoders report damaged files on the error stream; the tool already gives every failed
    // picture its one line there.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));

    velsaro::cli::Console console;
    console.outIsTerminal = isatty(STDOUT_FILENO) == 1;
    console.errIsTerminal = isatty(STDERR_FILENO) == 1;
    return velsaro::cli::runTool(std::vector<std::string>(argv + 1, argv + argc), console);
}
