#include "catalogue/first_page.h"

#include "catalogue/catalogue_error.h"
#include "catalogue/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace velsaro::detail {

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
    CatalogueFileKind kind{CatalogueFileKind::Foreign, 0, head[18] == 2 && head[19] == 2, 0};
    if (std::memcmp(head.data(), magic, sizeof magic) != 0)
        return kind;
    const std::uint32_t id = bigEndian32(head.data() + 68);
    const std::uint32_t version = bigEndian32(head.data() + 60);
    const bool noTables = head[100] == 0x0D && head[103] == 0 && head[104] == 0;
    if (id == 0 && version == 0 && noTables)
        kind.kind = CatalogueFileKind::Empty;
    else if (id == std::uint32_t(catalogueApplicationId) && version >= 1)
        kind = {CatalogueFileKind::Catalogue, int(version), kind.logged, 0};
    return kind;
}

} // namespace

CatalogueFileKind identifyCatalogue(const std::string& file)
{
    // Non-blocking, so that a named pipe given as the catalogue is refused instead of waited on.
    const FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0 && errno == ENOENT)
        return {};
    if (fd.get() < 0)
        return {CatalogueFileKind::Unopenable, 0, false, errno};
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return {CatalogueFileKind::NotRegular};
    FirstPageHead head{};
    const std::size_t read = readAt(file, fd.get(), head.data(), head.size(), 0);
    if (const std::optional<FirstPageHead> logged = loggedFirstPage(resolvedPath(file).value_or(file) + "-wal"))
        return kindOfFirstPage(*logged);
    if (read == 0)
        return {CatalogueFileKind::Empty};
    return kindOfFirstPage(head);
}

} // namespace velsaro::detail
