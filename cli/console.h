// Where velsaro-clave writes, and the exit statuses it ends with.
#pragma once

#include <cstdio>
#include <string_view>

namespace velsaro::cli {

inline constexpr int exitSuccess = 0;
inline constexpr int exitSomePictureFailed = 1;
inline constexpr int exitUsageError = 2;
inline constexpr int exitCatalogueError = 3;

struct Console {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    bool outIsTerminal = false;
    bool errIsTerminal = false;
};

// Writes text at once, so that a long batch shows each picture's line as soon as it is keyed.
inline void print(std::FILE* stream, std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

} // namespace velsaro::cli
