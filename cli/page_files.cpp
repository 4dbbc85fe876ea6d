#include "cli/page_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace velsaro::cli {

namespace {

std::string reasonWith(const char* what, int error)
{
    return std::string(what) + " (" + std::strerror(error) + ")";
}

std::string parentFolder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// "NNNNNN.jpg": six digits, as thumbnailName writes them.
bool isThumbnailName(const char* name)
{
    const std::size_t length = std::strlen(name);
    return length == 10 && std::strcmp(name + 6, ".jpg") == 0 &&
           std::all_of(name, name + 6, [](char c) { return c >= '0' && c <= '9'; });
}

// The names in an open folder, read through a copy of its descriptor so that the folder stays open.
std::vector<std::string> namesIn(int folder)
{
    std::vector<std::string> names;
    const int copy = ::dup(folder);
    DIR* listing = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (listing == nullptr) {
        if (copy >= 0)
            ::close(copy);
        return names;
    }
    ::rewinddir(listing);
    while (const dirent* entry = ::readdir(listing))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    ::closedir(listing);
    return names;
}

// The thumbnails' folder, opened without following a link at its name; made first if missing.
int openedFolder(const std::string& folder)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    const int fd = ::open(folder.c_str(), flags);
    if (fd >= 0 || errno != ENOENT)
        return fd;
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST)
        return -1;
    return ::open(folder.c_str(), flags);
}

// Why the existing thumbnails' folder cannot take new thumbnails, if it cannot.
std::optional<PageFailure> folderFailure(const std::string& folder)
{
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) {
        if (errno == ENOENT)
            return std::nullopt; // made when the page is placed
        return PageFailure{folder, reasonWith("no se puede usar la carpeta de las miniaturas", errno)};
    }
    if (S_ISLNK(status.st_mode))
        return PageFailure{folder, "es un enlace, y las miniaturas no se escriben a través de enlaces"};
    if (!S_ISDIR(status.st_mode))
        return PageFailure{folder, "ya existe y no es una carpeta; las miniaturas necesitan esa carpeta"};
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return PageFailure{folder, reasonWith("no se puede escribir en la carpeta de las miniaturas", errno)};
    return std::nullopt;
}

} // namespace

std::string thumbnailName(std::size_t number)
{
    char name[24];
    std::snprintf(name, sizeof name, "%06zu.jpg", number);
    return name;
}

PageFiles::PageFiles(std::string page, std::string folder) : page_(std::move(page)), folder_(std::move(folder)) {}

PageFiles::~PageFiles()
{
    if (privateFd_ < 0)
        return;
    for (const std::string& name : namesIn(privateFd_))
        ::unlinkat(privateFd_, name.c_str(), 0);
    ::close(privateFd_);
    ::rmdir(private_.c_str());
}

std::optional<PageFailure> PageFiles::prepare()
{
    struct stat status {};
    if (::stat(page_.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return PageFailure{page_, "es una carpeta; la página necesita el nombre de un archivo"};
    if (std::optional<PageFailure> failure = folderFailure(folder_))
        return failure;
    std::string made = parentFolder(page_) + "/.velsaro-clave-XXXXXX";
    if (::mkdtemp(made.data()) == nullptr)
        return PageFailure{page_, reasonWith("no se puede escribir la página en su carpeta", errno)};
    private_ = made;
    privateFd_ = ::open(private_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (privateFd_ < 0)
        return PageFailure{private_, reasonWith("no se puede abrir la carpeta", errno)};
    return std::nullopt;
}

// O_EXCL: the private folder is new and only this user's, so a file there is always a new one.
int PageFiles::write(const std::string& name, std::string_view bytes) const
{
    const int fd = ::openat(privateFd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    int error = 0;
    for (std::size_t done = 0; done < bytes.size() && error == 0;) {
        const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (count > 0)
            done += std::size_t(count);
        else if (count < 0 && errno != EINTR)
            error = errno;
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

std::optional<PageFailure> PageFiles::place(const std::vector<std::string>& thumbnails, const std::string& pageName)
{
    const int folder = openedFolder(folder_);
    if (folder < 0)
        return PageFailure{folder_, reasonWith("no se pudo abrir la carpeta de las miniaturas", errno)};
    std::optional<PageFailure> failure = moveThumbnails(folder, thumbnails);
    if (!failure)
        removeStaleThumbnails(folder, thumbnails);
    ::close(folder);
    if (!failure && ::renameat(privateFd_, pageName.c_str(), AT_FDCWD, page_.c_str()) != 0)
        failure = PageFailure{page_, reasonWith("no se pudo escribir la página", errno)};
    return failure;
}

// A rename replaces whatever is at the name, a link included, without writing through it.
std::optional<PageFailure> PageFiles::moveThumbnails(int folder, const std::vector<std::string>& thumbnails)
{
    for (const std::string& name : thumbnails)
        if (::renameat(privateFd_, name.c_str(), folder, name.c_str()) != 0)
            return PageFailure{folder_ + "/" + name, reasonWith("no se pudo escribir la miniatura", errno)};
    return std::nullopt;
}

void PageFiles::removeStaleThumbnails(int folder, const std::vector<std::string>& thumbnails) const
{
    for (const std::string& name : namesIn(folder))
        if (isThumbnailName(name.c_str()) && !std::binary_search(thumbnails.begin(), thumbnails.end(), name))
            ::unlinkat(folder, name.c_str(), 0);
}

} // namespace velsaro::cli
