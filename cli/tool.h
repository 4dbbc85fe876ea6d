// velsaro-clave from its command line to its exit status.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace velsaro::cli {

inline constexpr int exitSuccess = 0;
inline constexpr int exitSomePictureFailed = 1;
inline constexpr int exitUsageError = 2;
inline constexpr int exitCatalogueError = 3;

// More pictures than this show a progress line when the error stream is a terminal.
inline constexpr std::size_t quietBatchSize = 3;

struct Console {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    bool outIsTerminal = false;
    bool errIsTerminal = false;
};

// arguments excludes the program name.
int runTool(const std::vector<std::string>& arguments, const Console& console);

} // namespace velsaro::cli
