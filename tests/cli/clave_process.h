// Runs the real velsaro-clave executable and captures what it writes and its exit status.
#pragma once

#include <sys/resource.h>

#include <string>
#include <vector>

namespace velsaro::testing {

struct ClaveRun {
    int exitCode = -1; // -1 if it did not exit normally (a crash)
    std::string out;
    std::string err;
};

enum class ErrorStream {
    Pipe,     // as under a script or a pipeline
    Terminal, // a pseudo-terminal, as in an interactive shell
};

ClaveRun runClave(const std::vector<std::string>& arguments, ErrorStream errorStream = ErrorStream::Pipe);

// The same as a user without root's rights ("nobody" when the test runs as root, whom file permissions
// do not stop), so that a file's permissions apply.
ClaveRun runClaveWithoutRights(const std::vector<std::string>& arguments);

// The same with every file it writes limited to maxFileBytes, as on a disk that fills up.
ClaveRun runClaveWithFileSizeLimit(const std::vector<std::string>& arguments, rlim_t maxFileBytes);

// Starts velsaro-clave in the background with its output and errors going to outFile, for a test
// that kills it or runs another beside it; waitForClave gives its exit status (-1 if killed).
int startClave(const std::vector<std::string>& arguments, const std::string& outFile);
int waitForClave(int process);

// Lines of text without their line breaks; a last line without a break counts too.
std::vector<std::string> linesOf(const std::string& text);

} // namespace velsaro::testing
