// Paths as the catalogue keeps and checks them: the file system's own bytes, made absolute with their
// folders resolved, and what lies at a path now.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace velsaro {

// The folder of path ("." when it has no slash, "/" for a name at the root) and its last name.
std::pair<std::string, std::string> folderAndName(const std::string& path);

// path with every link and "..", as the file system resolves it; none when it cannot.
std::optional<std::string> resolvedPath(const std::string& path);

enum class FilePresence {
    Regular, // a regular file, links followed
    Gone,    // nothing there, or something that is no picture file (a folder, a pipe)
    Unknown, // the system cannot tell (no permission to look, an I/O error)
};
FilePresence presenceOf(const std::string& path);

// The path under which a picture is catalogued: absolute, its folder resolved by the file system so
// that "link/.." goes where the link leads, its own name as given; in the file system's own bytes.
// Relative paths are taken against base, or the current folder when base is empty; each folder is
// resolved once.
class CataloguePaths {
public:
    explicit CataloguePaths(std::string base = {}) : base_(std::move(base)) {}
    std::string operator()(const std::string& path);

private:
    std::string base_;
    std::unordered_map<std::string, std::string> folders_; // as given, resolved ("" if it cannot be)
};

} // namespace velsaro
