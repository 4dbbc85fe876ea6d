// Reading keys back from the tool's own text output ("KEY  PATH" lines), for --import: the summaries
// of --compare and --matrix that follow the key lines are passed over.
#pragma once

#include "engine/key_engine.h"

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

namespace velsaro::cli {

struct ListedKey {
    KeyCodes codes{};
    std::string path; // as the line gives it, unescaped
};

// A list that cannot be read, or a line that is none of the tool's; what() follows
// "velsaro-clave: LIST:LINE: " (or "LIST: " when line is 0).
class KeyListError : public std::runtime_error {
public:
    KeyListError(std::string list, std::size_t line, const std::string& reason)
        : std::runtime_error(reason), list_(std::move(list)), line_(line) {}
    const std::string& list() const { return list_; }
    std::size_t line() const { return line_; }

private:
    std::string list_;
    std::size_t line_;
};

class KeyListReader {
public:
    // list names a file, or "-" for standard input.
    explicit KeyListReader(const std::string& list);
    ~KeyListReader();
    KeyListReader(const KeyListReader&) = delete;
    KeyListReader& operator=(const KeyListReader&) = delete;

    // The next key line's key and path; none at the end. Throws KeyListError.
    std::optional<ListedKey> next();

private:
    bool readLine(std::string& line);
    [[noreturn]] void fail(const std::string& reason) const;

    std::string list_;
    std::FILE* stream_;
    std::size_t lineNumber_ = 0;
    bool inMatrix_ = false; // after "Distancias en bits:", until a blank or key line
};

// The key and path of a key line, none for any other line.
std::optional<ListedKey> parsedKeyLine(const std::string& line);

} // namespace velsaro::cli
