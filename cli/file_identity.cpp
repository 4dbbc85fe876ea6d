#include "cli/file_identity.h"

#include <sys/stat.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>

namespace velsaro::cli {

namespace {

// How long after a file's time a change could still leave that time as it was. A time without a
// fraction of a second may come from a file system that keeps whole seconds, or two (FAT); the others
// keep nanoseconds from the kernel's clock, which moves in ticks of at most 10 ms.
std::int64_t racyMargin(std::int64_t time)
{
    return time % 1'000'000'000 == 0 ? 2'000'000'000 : 20'000'000;
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

// The folder part and the name of a path: "" and the path when it has no slash.
std::pair<std::string, std::string> folderAndName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// The folder's absolute path with every link followed, or "" when it cannot be resolved.
std::string resolvedFolder(const std::string& folder)
{
    char* resolved = ::realpath(folder.c_str(), nullptr);
    if (resolved == nullptr)
        return {};
    std::string absolute = resolved;
    std::free(resolved);
    return absolute;
}

} // namespace

bool FileIdentity::isUnchangedIn(const FileIdentity& now) const
{
    const bool settled = modified < keyed - racyMargin(modified) && changed < keyed - racyMargin(changed);
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

std::string cataloguePath(const std::string& path)
{
    return CataloguePaths()(path);
}

std::string CataloguePaths::operator()(const std::string& path)
{
    auto [folder, name] = folderAndName(path);
    if (name.empty() || name == "." || name == "..") { // not a file's name: the path is resolved whole
        folder = path;
        name.clear();
    }
    auto known = folders_.find(folder);
    if (known == folders_.end())
        known = folders_.emplace(folder, resolvedFolder(folder)).first;
    if (known->second.empty()) { // a folder that is not there: made absolute by its words alone
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(path, error);
        return (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
    }
    if (name.empty())
        return known->second;
    return (known->second == "/" ? "" : known->second) + "/" + name;
}

} // namespace velsaro::cli
