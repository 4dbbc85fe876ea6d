// Paths as the catalogue keeps and checks them: the file system's own bytes, made absolute with their
// folders resolved, and what lies at a path now.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
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

// Whether paths lead to regular files, for many paths that come folder by folder (in order of their
// bytes, say): each folder is listed once, rather than each name looked up in it, which costs the
// system far more for millions of names; a link, or a name whose type the listing does not give, is
// looked up.
class RegularFiles {
public:
    bool contains(const std::string& path);

private:
    void list(const std::string& folder);

    std::optional<std::string> folder_; // the one listed last
    bool listed_ = false;               // whether it could be listed
    std::unordered_set<std::string> regular_;
    std::unordered_set<std::string> toLookUp_;
};

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
