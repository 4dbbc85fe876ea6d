#include "picture/format_reading.h"

#include <QIODevice>

#include <cerrno>
#include <cstring>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace velsaro::detail {

PictureFile failure(PictureFileError error, const char* reason)
{
    return {QImage(), PictureSize(), error, QString::fromUtf8(reason)};
}

PictureFile notAPicture()
{
    return failure(PictureFileError::NotAPicture, "no es una imagen BMP, JPEG o GIF válida");
}

PictureFile tooLarge()
{
    return failure(PictureFileError::TooLarge, "la imagen es demasiado grande (más de 512 MiB al decodificarla)");
}

PictureFile unreadable()
{
    return failure(PictureFileError::Unreadable, "no se puede leer");
}

PictureFile changedWhileRead()
{
    return failure(PictureFileError::Changing, "el archivo cambió mientras se leía");
}

PictureFile readTooLong()
{
    return failure(PictureFileError::TooLarge, "la imagen es demasiado grande (más de 256 MiB que leer del archivo)");
}

BoundedFile::BoundedFile(int descriptor, qint64 size) : descriptor_(descriptor), size_(size)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 BoundedFile::readData(char* into, qint64 length)
{
    if (length <= 0)
        return 0;
    const qint64 allowed = qMin(length, maxReadBytes - readBytes_);
    if (allowed == 0) {
        isBoundReached_ = true;
        return -1;
    }
    ssize_t read;
    do
        read = ::pread(descriptor_, into, std::size_t(allowed), pos());
    while (read < 0 && errno == EINTR);
    if (read > 0)
        readBytes_ += read;
    return read;
}

namespace {

// What of a file's status changes when it is written: its length and its times, to the nanosecond.
struct FileState {
    qint64 size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileState& other) const
    {
        const auto same = [](timespec a, timespec b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; };
        return size == other.size && same(modified, other.modified) && same(changed, other.changed);
    }
};

std::optional<FileState> stateOf(int descriptor)
{
    struct stat status {};
    if (fstat(descriptor, &status) != 0)
        return std::nullopt;
    return FileState{status.st_size, status.st_mtim, status.st_ctim};
}

} // namespace

PictureFile readUnchanged(int descriptor, const std::function<PictureFile(QIODevice&)>& read)
{
    std::optional<FileState> before = stateOf(descriptor);
    for (int reading = 0; reading < 2 && before; ++reading) {
        BoundedFile file(descriptor, before->size);
        const PictureFile result = read(file);
        const std::optional<FileState> after = stateOf(descriptor);
        if (after && *after == *before)
            return file.isBoundReached() ? readTooLong() : result;
        before = after;
    }
    return before ? changedWhileRead() : unreadable();
}

std::uint32_t littleEndian(const QByteArray& bytes, qsizetype at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | (at + i < bytes.size() ? std::uint8_t(bytes[at + i]) : 0u);
    return value;
}

// The file is read, not mapped: a file cut by another program while it is read (a photo still being
// written) only ends a read early, where a mapped page past its new end would kill the program.
qint64 readAt(QIODevice& device, qint64 at, char* into, qint64 length)
{
    if (at >= device.size()) // a buffer in memory cannot even seek there
        return 0;
    return device.seek(at) ? device.read(into, length) : -1;
}

namespace {

constexpr qsizetype streamBufferBytes = 64 * 1024;

} // namespace

ByteStream::ByteStream(QIODevice& device, qint64 start)
    : device_(device), buffer_(streamBufferBytes, Qt::Uninitialized), bufferStart_(start)
{
}

bool ByteStream::fill()
{
    bufferStart_ += filled_;
    at_ = 0;
    filled_ = 0;
    const qint64 read = readAt(device_, bufferStart_, buffer_.data(), buffer_.size());
    filled_ = read > 0 ? qsizetype(read) : 0;
    return filled_ > 0;
}

int ByteStream::peek()
{
    if (at_ == filled_ && !fill())
        return -1;
    return std::uint8_t(buffer_[at_]);
}

void ByteStream::skip(qint64 count)
{
    if (count <= filled_ - at_) {
        at_ += qsizetype(count);
        return;
    }
    // Past the buffer: the next fill starts where the skip ends, and finds the file there or not.
    bufferStart_ += at_ + count;
    at_ = filled_ = 0;
}

bool ByteStream::skipPast(std::uint8_t value)
{
    for (;;) {
        if (at_ == filled_ && !fill())
            return false;
        const void* found = std::memchr(buffer_.constData() + at_, value, std::size_t(filled_ - at_));
        if (found != nullptr) {
            at_ = static_cast<const char*>(found) - buffer_.constData() + 1;
            return true;
        }
        at_ = filled_;
    }
}

qint64 ByteStream::read(char* into, qint64 length)
{
    qint64 done = 0;
    while (done < length && (at_ < filled_ || fill())) {
        const qint64 part = qMin<qint64>(length - done, filled_ - at_);
        std::memcpy(into + done, buffer_.constData() + at_, std::size_t(part));
        at_ += qsizetype(part);
        done += part;
    }
    return done;
}

MemoryReader::MemoryReader(const QByteArray& bytes, const QByteArray& format)
    : bytes_(bytes), buffer_(&bytes_), reader_(&buffer_, format)
{
    buffer_.open(QIODevice::ReadOnly);
    reader_.setDecideFormatFromContent(format.isEmpty());
    reader_.setAutoTransform(false);
}

QRect topLeft(QSize pictureSize, QSize regionSize)
{
    return QRect(QPoint(0, 0), pictureSize.boundedTo(regionSize));
}

QImage cut(const QImage& picture, QSize regionSize)
{
    const QRect kept = topLeft(picture.size(), regionSize);
    return kept.size() == picture.size() ? picture : picture.copy(kept);
}

namespace {

// A file may store indexes past its palette. Qt shows them black (the second colour of a 1-bit picture
// white) but keeps the short table, where comparing two pictures reads past its end; the table made
// whole says the same, so every pixel is defined.
QImage withWholeColourTable(const QImage& image)
{
    const qsizetype wholeTable = image.depth() == 1 ? 2 : 256;
    if (image.colorCount() == 0 || image.colorCount() >= wholeTable)
        return image;
    QList<QRgb> table = image.colorTable();
    table.resize(wholeTable, image.depth() == 1 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    QImage whole = image;
    whole.setColorTable(table);
    return whole;
}

} // namespace

PictureFile decoded(const QImage& image, PictureSize wholeSize)
{
    if (image.isNull())
        return notAPicture();
    PictureFile result;
    result.image = withWholeColourTable(image);
    result.size = wholeSize;
    return result;
}

} // namespace velsaro::detail
