// The tool's text output as a list of keys: what velsaro-clave writes ("KEY  PATH" lines, then the
// summaries of --compare and --matrix) and what --import reads back, defined here for both sides.
#pragma once

#include "engine/key_engine.h"

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velsaro {

// The lines that follow the key lines: "Grupo N (...): KEY" with its pictures indented below it, and
// a blank line, "Distancias en bits:" and the table's rows.
inline constexpr std::string_view groupHeadingStart = "Grupo ";
inline constexpr std::string_view matrixHeading = "Distancias en bits:";

// "KEY  PATH\n". A path holding a backslash, a line break or another control or direction character
// (see visible_text.h) is written with them escaped as "\\", "\n" and "\xNN" for each byte of the
// others, and the line then starts with a backslash, so that every line stays one picture and shows
// what its path holds.
std::string keyLine(const std::string& keyText, const std::string& path);

// The path as a list under a heading shows it: escaped as in keyLine behind a leading backslash when
// it holds a backslash or a hidden character, else as it is.
std::string listedPath(const std::string& path);

// The path with its hidden characters escaped as in keyLine (and its backslashes too with
// backslashes), for a line that is read by people only.
std::string escapedPath(const std::string& path, bool backslashes);

struct ListedKey {
    KeyCodes codes{};
    std::string path; // as the line gives it, unescaped
};

// The key and path of a key line, none for any other line.
std::optional<ListedKey> parsedKeyLine(const std::string& line);

// A list that cannot be read, or a line that is none of the tool's or names no possible file; what()
// follows "velsaro-clave: LIST:LINE: " (or "LIST: " when line is 0).
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

// The key lines of one list, in order.
class KeyListReader {
public:
    // name is the list's name in messages; stream is read from where it stands and not closed.
    KeyListReader(std::string name, std::FILE* stream) : name_(std::move(name)), stream_(stream) {}

    // The next key line's key and path; none at the end. Throws KeyListError for a line that is none
    // of the tool's, or whose path no file system could hold.
    std::optional<ListedKey> next();

private:
    bool readLine(std::string& line);
    [[noreturn]] void fail(const std::string& reason) const;

    std::string name_;
    std::FILE* stream_;
    std::size_t lineNumber_ = 0;
    bool inMatrix_ = false; // after matrixHeading, until a blank or key line
};

} // namespace velsaro
