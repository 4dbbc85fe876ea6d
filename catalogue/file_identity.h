// What tells that a file still holds what was keyed, kept as Git's index keeps it: size, modification
// and change times, inode and device, and when the key was taken.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velsaro {

struct FileIdentity {
    std::int64_t size = 0;
    std::int64_t modified = 0; // nanoseconds since 1970
    std::int64_t changed = 0;  // the inode's change time, which no program can set back
    std::int64_t inode = 0;
    std::int64_t device = 0;
    std::int64_t keyed = 0;    // the clock when the file was examined, just before it was read
    bool operator==(const FileIdentity&) const = default;

    // True when the file, examined again (now), is the one keyed: every field alike, and neither time
    // one that a later change could have left as it was. A change within the file system's time
    // granularity of the moment of keying could ("racy", as Git calls it), so such a record is checked
    // by its content; so could a change once the clock reaches a time that was ahead of it.
    bool isUnchangedIn(const FileIdentity& now) const;
};

// The identity of a regular file (following links), none for anything else or a file not there.
std::optional<FileIdentity> fileIdentity(const std::string& path);

} // namespace velsaro
