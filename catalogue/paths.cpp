#include "catalogue/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace velsaro {

std::pair<std::string, std::string> folderAndName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::optional<std::string> resolvedPath(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return std::nullopt;
    std::string real = resolved;
    std::free(resolved);
    return real;
}

FilePresence presenceOf(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0)
        return S_ISREG(status.st_mode) ? FilePresence::Regular : FilePresence::Gone;
    return errno == ENOENT || errno == ENOTDIR ? FilePresence::Gone : FilePresence::Unknown;
}

bool RegularFiles::contains(const std::string& path)
{
    const auto [folder, name] = folderAndName(path);
    if (!folder_ || *folder_ != folder)
        list(folder);
    if (!listed_ || toLookUp_.contains(name))
        return presenceOf(path) == FilePresence::Regular;
    return regular_.contains(name);
}

void RegularFiles::list(const std::string& folder)
{
    folder_ = folder;
    regular_.clear();
    toLookUp_.clear();
    DIR* entries = ::opendir(folder.c_str());
    listed_ = entries != nullptr;
    if (!listed_)
        return;
    while (const dirent* entry = ::readdir(entries)) {
        if (entry->d_type == DT_REG)
            regular_.insert(entry->d_name);
        else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
            toLookUp_.insert(entry->d_name);
    }
    ::closedir(entries);
}

std::string CataloguePaths::operator()(const std::string& given)
{
    const std::string path = base_.empty() || given.starts_with('/') ? given : base_ + "/" + given;
    auto [folder, name] = folderAndName(path);
    if (name.empty() || name == "." || name == "..") { // not a file's name: the path is resolved whole
        folder = path;
        name.clear();
    }
    auto known = folders_.find(folder);
    if (known == folders_.end())
        known = folders_.emplace(folder, resolvedPath(folder).value_or("")).first;
    if (known->second.empty()) { // a folder that is not there: made absolute by its words alone
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(path, error);
        return (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
    }
    if (name.empty())
        return known->second;
    return (known->second == "/" ? "" : known->second) + "/" + name;
}

} // namespace velsaro
