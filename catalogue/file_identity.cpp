#include "catalogue/file_identity.h"

#include <sys/stat.h>

#include <chrono>

namespace velsaro {

namespace {

// How long after a file's time a change could still leave that time as it was. A time without a
// fraction of a second may come from a file system that keeps whole seconds, or two (FAT); the others
// keep nanoseconds from the kernel's clock, which moves in ticks of at most 10 ms.
std::int64_t racyMargin(std::int64_t time)
{
    return time % 1'000'000'000 == 0 ? 2'000'000'000 : 20'000'000;
}

// A change after keying gives the file the clock's time then: one well after the keying, and, for a
// file dated ahead of the clock, one still well before that date while the clock has not reached it.
bool isTrusted(std::int64_t time, std::int64_t keyed, std::int64_t examined)
{
    const std::int64_t margin = racyMargin(time);
    return time < keyed - margin || time > examined + margin;
}

std::int64_t nanoseconds(const timespec& time)
{
    return std::int64_t(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

std::int64_t now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

bool FileIdentity::isUnchangedIn(const FileIdentity& now) const
{
    const bool settled = isTrusted(modified, keyed, now.keyed) && isTrusted(changed, keyed, now.keyed);
    return settled && size == now.size && modified == now.modified && changed == now.changed &&
           inode == now.inode && device == now.device;
}

std::optional<FileIdentity> fileIdentity(const std::string& path)
{
    const std::int64_t examined = now();
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return FileIdentity{std::int64_t(status.st_size), nanoseconds(status.st_mtim), nanoseconds(status.st_ctim),
                        std::int64_t(status.st_ino),  std::int64_t(status.st_dev), examined};
}

} // namespace velsaro
