#include "cli/catalogue_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace velsaro::cli {

namespace {

// The database header (100 bytes) and the header of page 1's table of the schema (8 bytes).
constexpr std::size_t headBytes = 108;
using FirstPageHead = std::array<unsigned char, headBytes>;

constexpr std::size_t logHeaderBytes = 32;
constexpr std::size_t frameHeaderBytes = 24;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::uint32_t bigEndian32(const unsigned char* bytes)
{
    return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 | std::uint32_t(bytes[2]) << 8 | bytes[3];
}

std::uint32_t word32(const unsigned char* bytes, bool bigEndian)
{
    return bigEndian ? bigEndian32(bytes)
                     : std::uint32_t(bytes[3]) << 24 | std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[1]) << 8 | bytes[0];
}

// Reads up to size bytes at offset, fewer only at the file's end.
std::size_t readAt(const std::string& file, int fd, void* into, std::size_t size, off_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count = ::pread(fd, static_cast<char*>(into) + done, size - done, offset + off_t(done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throw CatalogueError(file, std::string("no se puede leer el archivo (") + std::strerror(errno) + ")");
        if (count == 0)
            break;
        done += std::size_t(count);
    }
    return done;
}

// The checksum a write-ahead log keeps over its header and frames, continued from sums.
void continueChecksum(std::array<std::uint32_t, 2>& sums, const unsigned char* bytes, std::size_t size, bool bigEndian)
{
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        sums[0] += word32(bytes + i, bigEndian) + sums[1];
        sums[1] += word32(bytes + i + 4, bigEndian) + sums[0];
    }
}

// The head of page 1 as the last whole commit in the log left it, if the log holds page 1. A frame
// counts only with the log's salts and an unbroken checksum, as SQLite reads it.
std::optional<FirstPageHead> loggedFirstPage(const std::string& logFile)
{
    const FileDescriptor fd(::open(logFile.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    unsigned char header[logHeaderBytes];
    if (readAt(logFile, fd.get(), header, sizeof header, 0) < sizeof header)
        return std::nullopt;
    const std::uint32_t magic = bigEndian32(header);
    const std::uint32_t pageSize = bigEndian32(header + 8);
    if ((magic & ~1u) != 0x377f0682u || pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return std::nullopt;
    const bool bigEndian = (magic & 1) != 0;
    std::array<std::uint32_t, 2> sums{};
    continueChecksum(sums, header, 24, bigEndian);
    if (sums[0] != bigEndian32(header + 24) || sums[1] != bigEndian32(header + 28))
        return std::nullopt;

    std::optional<FirstPageHead> committed;
    std::optional<FirstPageHead> pending;
    std::vector<unsigned char> frame(frameHeaderBytes + pageSize);
    for (off_t at = logHeaderBytes; readAt(logFile, fd.get(), frame.data(), frame.size(), at) == frame.size();
         at += off_t(frame.size())) {
        if (std::memcmp(frame.data() + 8, header + 16, 8) != 0)
            break; // another generation's frame
        continueChecksum(sums, frame.data(), 8, bigEndian);
        continueChecksum(sums, frame.data() + frameHeaderBytes, pageSize, bigEndian);
        if (sums[0] != bigEndian32(frame.data() + 16) || sums[1] != bigEndian32(frame.data() + 20))
            break; // written part of the way
        if (bigEndian32(frame.data()) == 1)
            std::copy_n(frame.data() + frameHeaderBytes, headBytes, pending.emplace().begin());
        if (bigEndian32(frame.data() + 4) != 0 && pending) // a commit
            committed = pending;
    }
    return committed;
}

CatalogueFileKind kindOfFirstPage(const FirstPageHead& head)
{
    static constexpr char magic[16] = "SQLite format 3";
    CatalogueFileKind kind{CatalogueFileKind::Foreign, 0, head[18] == 2 && head[19] == 2};
    if (std::memcmp(head.data(), magic, sizeof magic) != 0)
        return kind;
    const std::uint32_t id = bigEndian32(head.data() + 68);
    const std::uint32_t version = bigEndian32(head.data() + 60);
    const bool noTables = head[100] == 0x0D && head[103] == 0 && head[104] == 0;
    if (id == 0 && version == 0 && noTables)
        kind.kind = CatalogueFileKind::Empty;
    else if (id == std::uint32_t(catalogueApplicationId) && version >= 1)
        kind = {CatalogueFileKind::Catalogue, int(version), kind.logged};
    return kind;
}

bool isWritable(const std::string& file)
{
    const std::size_t slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
    return ::access(file.c_str(), W_OK) == 0 && ::access(folder.c_str(), W_OK) == 0;
}

bool exists(const std::string& file)
{
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0;
}

// Without the locks it takes otherwise, SQLite can read a file as unchanging only where no run can
// be changing it: a file nobody may write, or one on a read-only mount.
bool isUnchanging(const std::string& file)
{
    struct stat status {};
    struct statvfs volume {};
    const bool noWriter = ::stat(file.c_str(), &status) == 0 && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return noWriter || (::statvfs(file.c_str(), &volume) == 0 && (volume.f_flag & ST_RDONLY) != 0);
}

} // namespace

std::string realCatalogueFile(const std::string& file)
{
    char* resolved = ::realpath(file.c_str(), nullptr);
    if (resolved == nullptr)
        return file;
    const std::string real = resolved;
    std::free(resolved);
    return real;
}

CatalogueFileKind identifyCatalogue(const std::string& file)
{
    // Non-blocking, so that a named pipe given as the catalogue is refused instead of waited on.
    const FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0 && errno == ENOENT)
        return {};
    if (fd.get() < 0)
        throw CatalogueError(file, std::string("no se puede abrir el archivo (") + std::strerror(errno) + ")");
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw CatalogueError(file, "no es un archivo regular; no se ha modificado");
    FirstPageHead head{};
    const std::size_t read = readAt(file, fd.get(), head.data(), head.size(), 0);
    if (const std::optional<FirstPageHead> logged = loggedFirstPage(realCatalogueFile(file) + "-wal"))
        return kindOfFirstPage(*logged);
    if (read == 0)
        return {CatalogueFileKind::Empty};
    return kindOfFirstPage(head);
}

void requireUsable(const std::string& file, const CatalogueFileKind& kind)
{
    if (kind.kind == CatalogueFileKind::Foreign)
        throw CatalogueError(file, "no es un catálogo de velsaro-clave; no se ha modificado");
    if (kind.kind == CatalogueFileKind::Catalogue && kind.format > catalogueFormat)
        throw CatalogueError(file, "el catálogo es de una versión posterior de velsaro-clave (formato " +
                                       std::to_string(kind.format) + "; esta versión lee el formato " +
                                       std::to_string(catalogueFormat) + "); no se ha modificado");
}

std::string fileUri(const std::string& file, const std::string& parameters)
{
    // An absolute path gets an empty authority, so that one beginning "//" is not taken for a host.
    std::string uri = file.starts_with('/') ? "file://" : "file:";
    for (char c : file) {
        if (c == '?' || c == '#' || c == '%') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            uri += escaped;
        } else {
            uri += c;
        }
    }
    return parameters.empty() ? uri : uri + "?" + parameters;
}

Connection openConnection(const std::string& file, Access access, bool create)
{
    const std::string real = realCatalogueFile(file);
    if (access == Access::ReadWrite || (!create && isWritable(real)))
        return Connection(file, fileUri(real), SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0));
    // A logged file whose log is gone holds everything itself: where no side file can be made and no
    // run can change it, it is read as it stands; with a log, SQLite reads through it or says why not.
    const bool unchanging = identifyCatalogue(file).logged && !exists(real + "-wal") && isUnchanging(real);
    return Connection(file, fileUri(real, unchanging ? "immutable=1" : ""), SQLITE_OPEN_READONLY);
}

} // namespace velsaro::cli
