#include "picture/format_reading.h"

#include <QIODevice>

#include <sys/mman.h>

namespace velsaro::detail {

namespace {

// Memory pages of its own for a file read whole, handed back to the system when dropped. Freed to the
// heap, a photo's bytes would stay with the allocator after every load, and the program would hold
// megabytes for pictures it no longer reads.
class FilePages {
public:
    explicit FilePages(qint64 size)
        : size_(size),
          data_(size > 0 ? mmap(nullptr, std::size_t(size), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)
                         : MAP_FAILED)
    {
    }
    ~FilePages()
    {
        if (data_ != MAP_FAILED)
            munmap(data_, std::size_t(size_));
    }
    FilePages(const FilePages&) = delete;
    FilePages& operator=(const FilePages&) = delete;

    bool isAvailable() const { return data_ != MAP_FAILED; }
    char* data() const { return static_cast<char*>(data_); }

private:
    qint64 size_;
    void* data_;
};

} // namespace

PictureFile failure(PictureFileError error, const char* reason)
{
    return {QImage(), QSize(), error, QString::fromUtf8(reason)};
}

PictureFile notAPicture()
{
    return failure(PictureFileError::NotAPicture, "no es una imagen BMP, JPEG o GIF válida");
}

PictureFile tooLarge()
{
    return failure(PictureFileError::TooLarge, "la imagen es demasiado grande (más de 256 MiB al decodificarla)");
}

PictureFile unreadable()
{
    return failure(PictureFileError::Unreadable, "no se puede leer");
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
    return device.seek(at) ? device.read(into, length) : -1;
}

PictureFile decodeWholeFile(QIODevice& device, const std::function<PictureFile(const QByteArray&)>& decode)
{
    const qint64 size = device.size();
    if (size > maxDecodingBytes)
        return tooLarge();
    if (size == 0)
        return decode(QByteArray());
    const FilePages pages(size);
    if (!pages.isAvailable())
        return tooLarge();
    const qint64 read = readAt(device, 0, pages.data(), size);
    if (read < 0)
        return unreadable();
    // Lent, not copied: nothing decoded from the bytes keeps a reference to them.
    return decode(QByteArray::fromRawData(pages.data(), qsizetype(read)));
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

PictureFile decoded(const QImage& image, QSize wholeSize)
{
    if (image.isNull())
        return notAPicture();
    PictureFile result;
    result.image = image;
    result.size = wholeSize;
    return result;
}

} // namespace velsaro::detail
