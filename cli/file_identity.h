// What tells that a file still holds what was keyed, kept as Git's index keeps it: size, modification
// and change times, inode and device, and when the key was taken.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace velsaro::cli {

struct FileIdentity {
    std::int64_t size = 0;
    std::int64_t modified = 0; // nanoseconds since 1970
    std::int64_t changed = 0;  // the inode's change time, which no program can set back
    std::int64_t inode = 0;
    std::int64_t device = 0;
    std::int64_t keyed = 0;    // the clock when the file was examined, just before it was read
    bool operator==(const FileIdentity&) const = default;

    // True when the file, examined again, is the one keyed: every field alike, and the file last
    // changed well before it was keyed. A change within the file system's time granularity of the
    // moment of keying could leave the times as they were ("racy", as Git calls it), so such a record
    // is checked by its content.
    bool isUnchangedIn(const FileIdentity& now) const;
};

// The identity of a regular file (following links), none for anything else or a file not there.
std::optional<FileIdentity> fileIdentity(const std::string& path);

// The path under which a picture is catalogued: absolute, its folder resolved by the file system so
// that "link/.." goes where the link leads, its own name as given; in the file system's own bytes.
std::string cataloguePath(const std::string& path);

// cataloguePath for many paths, each folder resolved once.
class CataloguePaths {
public:
    std::string operator()(const std::string& path);

private:
    std::unordered_map<std::string, std::string> folders_; // as given, resolved
};

} // namespace velsaro::cli
