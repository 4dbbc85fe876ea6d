// The plain text output: one line per key, like sha256sum, and the groups of pictures alike in key.
#pragma once

#include <string>
#include <vector>

namespace velsaro::cli {

// "KEY  PATH\n". A path holding a backslash or a line break is written with them escaped as "\\"
// and "\n", and the line then starts with a backslash, so that every line stays one picture.
std::string keyLine(const std::string& keyText, const std::string& path);

// The path as a list under a heading shows it: escaped as in keyLine behind a leading backslash when
// it holds a backslash or a line break, else as it is.
std::string listedPath(const std::string& path);

// "velsaro-clave: PATH: REASON\n", for the error stream; a line break in the path is written "\n".
std::string errorLine(const std::string& path, const std::string& reason);

struct KeyGroup {
    std::string keyText;
    std::vector<std::string> paths;
};

// "Grupo NUMBER (COUNT imágenes): KEY\n", the heading of a group.
std::string groupHeading(std::size_t number, std::size_t count, const std::string& keyText);

// A blank line, then per group "Grupo I (N imágenes): KEY" and one indented path per line, escaped as
// in keyLine with the backslash after the indent; nothing when there is no group.
std::string groupsText(const std::vector<KeyGroup>& groups);

} // namespace velsaro::cli
