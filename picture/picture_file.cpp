// Reading a picture file: identification by content, checks that the file is whole, the corrections a
// few bitmap headers need before Qt decodes them, and a decode of the top-left region only.
#include "picture/picture_file.h"

#include "picture/jpeg_region.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cstdint>
#include <cstring>

#include <sys/mman.h>

namespace velsaro {

namespace {

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
    return failure(PictureFileError::TooLarge,
                   "la imagen es demasiado grande (más de 256 MiB al decodificarla)");
}

// Little- and big-endian fields; a field past the end reads as zero, and every caller checks the size
// it needs before trusting a field.
std::uint32_t littleEndian(const QByteArray& bytes, qsizetype at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | (at + i < bytes.size() ? std::uint8_t(bytes[at + i]) : 0u);
    return value;
}

int bigEndian16(const QByteArray& bytes, qsizetype at)
{
    if (at + 1 >= bytes.size())
        return 0;
    return std::uint8_t(bytes[at]) << 8 | std::uint8_t(bytes[at + 1]);
}

void setLittleEndian32(QByteArray& bytes, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

// ---- Windows bitmaps ----

constexpr qsizetype bmpFileHeaderSize = 14;
constexpr std::uint32_t bmpRgb = 0;
constexpr std::uint32_t bmpRle8 = 1;
constexpr std::uint32_t bmpRle4 = 2;
constexpr std::uint32_t bmpBitfields = 3;
constexpr std::uint32_t bmpV4HeaderSize = 108;

struct BitmapHeader {
    qsizetype dataOffset = 0;
    std::uint32_t infoSize = 0;
    qint64 width = 0;
    qint64 height = 0; // rows, whichever way they run
    bool isTopDown = false;
    int planes = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = bmpRgb;

    // A header that could describe a picture, whatever its size; garbage after "BM" is not one.
    bool isPlausible() const
    {
        const bool knownSize = infoSize == 12 || infoSize == 40 || infoSize == 52 || infoSize == 56 ||
                               infoSize == 108 || infoSize == 124;
        const bool knownDepth = bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 ||
                                bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
        return knownSize && knownDepth && planes == 1 && width > 0 && height > 0 &&
               compression <= bmpBitfields;
    }
};

BitmapHeader bitmapHeader(const QByteArray& bytes)
{
    BitmapHeader header;
    header.dataOffset = qsizetype(littleEndian(bytes, 10, 4));
    header.infoSize = littleEndian(bytes, 14, 4);
    if (header.infoSize == 12) { // OS/2 1.x: 16-bit sizes, never compressed
        header.width = littleEndian(bytes, 18, 2);
        header.height = littleEndian(bytes, 20, 2);
        header.planes = int(littleEndian(bytes, 22, 2));
        header.bitsPerPixel = int(littleEndian(bytes, 24, 2));
    } else {
        header.width = std::int32_t(littleEndian(bytes, 18, 4));
        header.height = std::int32_t(littleEndian(bytes, 22, 4));
        header.planes = int(littleEndian(bytes, 26, 2));
        header.bitsPerPixel = int(littleEndian(bytes, 28, 2));
        header.compression = littleEndian(bytes, 30, 4);
    }
    header.isTopDown = header.height < 0;
    header.height = qAbs(header.height);
    header.dataOffset = qMax(header.dataOffset, bmpFileHeaderSize + qsizetype(header.infoSize));
    return header;
}

// Walks run-length encoded rows; the file is whole if the stream reaches its end-of-bitmap code, or
// covers every row, before the bytes run out.
bool isRunLengthDataWhole(const QByteArray& bytes, const BitmapHeader& header)
{
    qsizetype at = header.dataOffset;
    qint64 rows = 0;
    while (at + 2 <= bytes.size()) {
        const int count = std::uint8_t(bytes[at]);
        const int code = std::uint8_t(bytes[at + 1]);
        at += 2;
        if (count != 0)
            continue; // a run of one value
        if (code == 0) {
            ++rows;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            rows += at + 1 < bytes.size() ? std::uint8_t(bytes[at + 1]) : 0;
            at += 2;
        } else {
            const int literalBytes = header.compression == bmpRle8 ? code : (code + 1) / 2;
            at += (literalBytes + 1) & ~1; // literal runs keep 16-bit alignment
        }
    }
    return at <= bytes.size() && rows >= header.height;
}

qint64 storedRowBytes(const BitmapHeader& header, qint64 width)
{
    return (width * header.bitsPerPixel + 31) / 32 * 4; // rows are padded to 32 bits
}

// Uncompressed rows need only the file's size to tell whether they are all there.
bool isUncompressedDataWhole(const BitmapHeader& header, qint64 fileSize)
{
    // Divided, not multiplied: a header may claim 2^31 x 2^31 pixels of 32 bits.
    return fileSize >= header.dataOffset &&
           (fileSize - header.dataOffset) / storedRowBytes(header, header.width) >= header.height;
}

bool isBitmapWhole(const QByteArray& bytes, const BitmapHeader& header)
{
    if (header.compression == bmpRle8 || header.compression == bmpRle4)
        return isRunLengthDataWhole(bytes, header);
    return isUncompressedDataWhole(header, bytes.size());
}

// Qt reads only the 40-, 108- and 124-byte info headers, but writers also use the 52- and 56-byte ones
// (the 40-byte fields followed by three or four colour masks). Those become a 108-byte header with the
// same masks, an sRGB colour space and everything after it moved along.
void widenMaskHeader(QByteArray& bytes)
{
    const std::uint32_t infoSize = littleEndian(bytes, 14, 4);
    if ((infoSize != 52 && infoSize != 56) || bytes.size() < bmpFileHeaderSize + qsizetype(infoSize))
        return;
    QByteArray tail(qsizetype(bmpV4HeaderSize - infoSize), '\0');
    const qsizetype colourSpaceAt = 56 - qsizetype(infoSize); // after the alpha mask
    setLittleEndian32(tail, colourSpaceAt, 0x73524742);       // 'sRGB'
    bytes.insert(bmpFileHeaderSize + infoSize, tail);
    setLittleEndian32(bytes, 14, bmpV4HeaderSize);
    const std::uint32_t dataOffset = littleEndian(bytes, 10, 4);
    if (dataOffset >= bmpFileHeaderSize + infoSize)
        setLittleEndian32(bytes, 10, dataOffset + std::uint32_t(tail.size()));
}

// In a BI_RGB bitmap the colour masks of a V4 or V5 header mean nothing and the fourth byte of a 32-bit
// pixel is reserved (often 0), but Qt 6.4 takes an alpha mask found there as real alpha and would make
// such a picture transparent. Clearing the masks makes it read them as the opaque picture it is.
void clearUnusedMasks(QByteArray& bytes)
{
    const BitmapHeader header = bitmapHeader(bytes);
    if (header.compression != bmpRgb || header.bitsPerPixel != 32 || header.infoSize < bmpV4HeaderSize)
        return;
    for (qsizetype at = 54; at < 70 && at < bytes.size(); ++at)
        bytes[at] = '\0';
}

// ---- JPEG ----

bool isStandaloneJpegMarker(int marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// Skips entropy-coded data from at to the next marker: in it 0xFF is followed only by a stuffed 0x00,
// a restart marker or more 0xFF fill. Returns the position of that marker's 0xFF, or the file's end.
qsizetype nextMarkerAfterScan(const QByteArray& bytes, qsizetype at)
{
    const char* const data = bytes.constData();
    while (at + 1 < bytes.size()) {
        // Almost every byte of the data is another value: let memchr find the next 0xFF.
        const void* found = std::memchr(data + at, 0xFF, std::size_t(bytes.size() - at - 1));
        if (found == nullptr)
            return bytes.size();
        at = static_cast<const char*>(found) - data;
        const int next = std::uint8_t(bytes[at + 1]);
        if (next == 0x00 || next == 0xFF || isStandaloneJpegMarker(next))
            at += next == 0xFF ? 1 : 2;
        else
            return at;
    }
    return bytes.size();
}

// A cut JPEG still decodes, its missing part grey, so the file must reach its end-of-image marker.
bool isJpegWhole(const QByteArray& bytes)
{
    qsizetype at = 2; // after start-of-image
    while (at < bytes.size()) {
        if (std::uint8_t(bytes[at]) != 0xFF) {
            ++at; // stray bytes between segments, which decoders skip too
            continue;
        }
        const int marker = at + 1 < bytes.size() ? std::uint8_t(bytes[at + 1]) : 0xFF;
        at += marker == 0xFF ? 1 : 2;
        if (marker == 0xFF || isStandaloneJpegMarker(marker))
            continue;
        if (marker == 0xD9)
            return true;
        at += bigEndian16(bytes, at);
        if (marker == 0xDA && at <= bytes.size())
            at = nextMarkerAfterScan(bytes, at);
    }
    return false;
}

// ---- GIF ----

qsizetype colourTableBytes(int flags)
{
    return (flags & 0x80) ? 3 * (qsizetype(2) << (flags & 7)) : 0;
}

// Skips a chain of data blocks; false if the file ends before its empty closing block.
bool skipBlocks(const QByteArray& bytes, qsizetype& at)
{
    while (at < bytes.size()) {
        const int length = std::uint8_t(bytes[at++]);
        if (length == 0)
            return true;
        at += length;
    }
    return false;
}

// Only the first frame is shown, so the file is whole enough when that frame's data is all there.
bool isGifFirstFrameWhole(const QByteArray& bytes)
{
    qsizetype at = 13 + colourTableBytes(std::uint8_t(bytes.size() > 10 ? bytes[10] : 0));
    while (at < bytes.size()) {
        const int blockType = std::uint8_t(bytes[at++]);
        if (blockType == 0x21) { // extension: label, then data blocks
            ++at;
            if (!skipBlocks(bytes, at))
                return false;
        } else if (blockType == 0x2C) { // image: descriptor, optional table, code size, data
            if (at + 9 > bytes.size())
                return false;
            at += 9 + colourTableBytes(std::uint8_t(bytes[at + 8])) + 1;
            return skipBlocks(bytes, at);
        } else {
            return false; // trailer before any image, or not a block at all
        }
    }
    return false;
}

// Qt makes the picture the size of the GIF's logical screen, which the reader's size does not report.
QSize gifScreenSize(const QByteArray& bytes)
{
    return QSize(int(littleEndian(bytes, 6, 2)), int(littleEndian(bytes, 8, 2)));
}

// ---- Reading ----

enum class Format { Bmp, Jpeg, Gif, Other };

Format formatOf(const QByteArray& name)
{
    if (name == "bmp")
        return Format::Bmp;
    if (name == "jpeg" || name == "jpg")
        return Format::Jpeg;
    if (name == "gif")
        return Format::Gif;
    return Format::Other;
}

void limitQtAllocations()
{
    // Qt's own guard, in whole megabytes, for decoders whose size the header does not tell.
    static const bool limited = [] {
        QImageReader::setAllocationLimit(int(maxDecodingBytes / (1024 * 1024)));
        return true;
    }();
    (void)limited;
}

// A reader over bytes in memory that decides the format from the content and leaves the picture as
// stored: no EXIF rotation.
class MemoryReader {
public:
    explicit MemoryReader(const QByteArray& bytes, const QByteArray& format = {})
        : bytes_(bytes), buffer_(&bytes_), reader_(&buffer_, format)
    {
        buffer_.open(QIODevice::ReadOnly);
        reader_.setDecideFormatFromContent(format.isEmpty());
        reader_.setAutoTransform(false);
    }

    QImageReader& reader() { return reader_; }

private:
    QByteArray bytes_; // shares the caller's data
    QBuffer buffer_;
    QImageReader reader_;
};

const QSize shownSize(drawingAreaWidth, drawingAreaHeight);

QRect topLeft(QSize pictureSize, QSize regionSize)
{
    return QRect(QPoint(0, 0), pictureSize.boundedTo(regionSize));
}

// The decoded picture cut to the region; the copy lets the whole decode go.
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

// ---- Ordinary reads ----
// The file is read, not mapped: a file cut by another program while it is read (a photo still being
// written) only ends a read early, where a mapped page past its new end would kill the program.

PictureFile unreadable()
{
    return failure(PictureFileError::Unreadable, "no se puede leer");
}

// Reads up to length bytes at position at: fewer where the file ends, as when it was cut after its
// size was taken; -1 when the read itself fails.
qint64 readAt(QIODevice& device, qint64 at, char* into, qint64 length)
{
    return device.seek(at) ? device.read(into, length) : -1;
}

// Bytes read from the file, or why they could not be.
struct BytesRead {
    QByteArray bytes;
    PictureFile failure; // error None when the bytes were read

    bool isRead() const { return failure.error == PictureFileError::None; }
};

// Up to length bytes from position at, fewer where the file ends.
BytesRead bytesAt(QIODevice& device, qint64 at, qint64 length)
{
    QByteArray bytes(qsizetype(length), Qt::Uninitialized);
    const qint64 read = readAt(device, at, bytes.data(), length);
    if (read < 0)
        return {QByteArray(), unreadable()};
    bytes.truncate(qsizetype(read));
    return {bytes, {}};
}

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

// Decodes the whole file, read into memory for the decoders that need its stream and let go after.
// A file may be of any size, so one larger than the bound is refused before it is read; what a cut
// file holds is left to the format's checks.
template <typename Decode>
PictureFile decodeWholeFile(QIODevice& device, Decode decode)
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

// ---- Bitmaps: only the rows and columns of the region ----

// Headers, palettes and masks of a bitmap lie before its pixel data; one that starts further in is
// read whole.
constexpr qsizetype maxBitmapHeaderBytes = 64 * 1024;

bool isRegionReadable(const BitmapHeader& header)
{
    return (header.compression == bmpRgb || header.compression == bmpBitfields) &&
           header.dataOffset <= maxBitmapHeaderBytes;
}

// Where the region's pixels lie among an uncompressed bitmap's rows.
struct BitmapRegion {
    qint64 width = 0;
    qint64 height = 0;
    qint64 rowBytes = 0;       // a whole stored row
    qint64 regionRowBytes = 0; // the leading bytes of a row that hold the region's columns, padded
    qint64 firstStoredRow = 0; // the region's first row in the order the file stores them
};

BitmapRegion bitmapRegion(const BitmapHeader& header, QSize regionSize)
{
    BitmapRegion region;
    region.width = qMin<qint64>(header.width, regionSize.width());
    region.height = qMin<qint64>(header.height, regionSize.height());
    region.rowBytes = storedRowBytes(header, header.width);
    region.regionRowBytes = storedRowBytes(header, region.width);
    // Top-down files store the region's rows first; bottom-up ones store them last.
    region.firstStoredRow = header.isTopDown ? 0 : header.height - region.height;
    return region;
}

// A bitmap of the region alone: the file's headers and palette with the region's size, and the rows
// of the region in the order the file stores them, each cut to its leading bytes. Qt decodes it pixel
// for pixel as it would the whole file. Each row is a seek and a read straight into place, so of a
// large bitmap only these bytes are read; a row the file no longer holds means it was cut meanwhile.
BytesRead bitmapOfRegion(QIODevice& device, const BitmapHeader& header, const BitmapRegion& region)
{
    // Made at its full size at once: grown from the headers' size by reallocation, it would stay in
    // the heap and leave holes there that make the program grow a little with every load.
    QByteArray bitmap(qsizetype(header.dataOffset + region.regionRowBytes * region.height), Qt::Uninitialized);
    const qint64 headersRead = readAt(device, 0, bitmap.data(), header.dataOffset);
    if (headersRead != header.dataOffset) // cut since its size was taken, or unreadable
        return {QByteArray(), headersRead < 0 ? unreadable() : notAPicture()};
    for (qint64 row = 0; row < region.height; ++row) {
        const qint64 at = header.dataOffset + (region.firstStoredRow + row) * region.rowBytes;
        char* const into = bitmap.data() + header.dataOffset + row * region.regionRowBytes;
        const qint64 rowRead = readAt(device, at, into, region.regionRowBytes);
        if (rowRead != region.regionRowBytes)
            return {QByteArray(), rowRead < 0 ? unreadable() : notAPicture()};
    }
    if (header.infoSize == 12) {
        bitmap[18] = char(region.width & 0xFF);
        bitmap[19] = char(region.width >> 8);
        bitmap[20] = char(region.height & 0xFF);
        bitmap[21] = char(region.height >> 8);
    } else {
        setLittleEndian32(bitmap, 18, std::uint32_t(region.width));
        setLittleEndian32(bitmap, 22, std::uint32_t(header.isTopDown ? -region.height : region.height));
        setLittleEndian32(bitmap, 34, 0); // the image size, which may be left 0 when uncompressed
    }
    setLittleEndian32(bitmap, 2, std::uint32_t(bitmap.size()));
    setLittleEndian32(bitmap, 10, std::uint32_t(header.dataOffset));
    return {bitmap, {}};
}

PictureFile decodedBitmap(QByteArray readable, QSize wholeSize)
{
    widenMaskHeader(readable);
    clearUnusedMasks(readable);
    MemoryReader decoder(readable, "bmp");
    return decoded(cut(decoder.reader().read(), shownSize), wholeSize);
}

// Run-length rows can only be decoded from the first, and pixel data far into the file follow
// whatever lies before them: such a bitmap is read whole, decoded whole, then cut.
PictureFile decodeWholeBitmap(const QByteArray& bytes)
{
    const BitmapHeader header = bitmapHeader(bytes);
    if (!header.isPlausible() || !isBitmapWhole(bytes, header))
        return notAPicture();
    if (header.width > maxDecodingBytes / 4 / header.height)
        return tooLarge();
    return decodedBitmap(bytes, QSize(int(header.width), int(header.height)));
}

PictureFile decodeBitmap(QIODevice& device)
{
    // The fields read lie in the file header and the first 20 bytes of the info header.
    const BytesRead head = bytesAt(device, 0, bmpFileHeaderSize + 20);
    if (!head.isRead())
        return head.failure;
    const BitmapHeader header = bitmapHeader(head.bytes);
    if (!header.isPlausible())
        return notAPicture();
    if (!isRegionReadable(header))
        return decodeWholeFile(device, decodeWholeBitmap);
    if (!isUncompressedDataWhole(header, device.size()))
        return notAPicture();
    const BytesRead region = bitmapOfRegion(device, header, bitmapRegion(header, shownSize));
    if (!region.isRead())
        return region.failure;
    return decodedBitmap(region.bytes, QSize(int(header.width), int(header.height)));
}

// ---- JPEG: rows up to the region's last, through Qt's clip rectangle, or libjpeg for the key ----

PictureFile decodeJpeg(const QByteArray& bytes, const QByteArray& formatName, PictureRegion region)
{
    MemoryReader decoder(bytes, formatName);
    const QSize wholeSize = decoder.reader().size();
    if (!wholeSize.isValid() || !isJpegWhole(bytes))
        return notAPicture();
    const JpegLayout layout = jpegLayout(bytes);
    // A progressive or multi-scan file is decoded whole into coefficients before any row comes out.
    if (layout.bufferedBytes > maxDecodingBytes)
        return tooLarge();
    if (region == PictureRegion::Keyed && layout.isSingleScan && layout.isColourOrGrey) {
        const QImage keyed = readJpegRegion(bytes, keyRegionWidth, keyRegionTop, keyRegionHeight);
        if (!keyed.isNull())
            return decoded(keyed, wholeSize);
    }
    // Qt's reader stops after the last row of the clip rectangle; a picture within the region is read
    // as it is, without the copy of each row a clip rectangle costs.
    const QRect shownRect = topLeft(wholeSize, shownSize);
    if (shownRect.size() != wholeSize)
        decoder.reader().setClipRect(shownRect);
    return decoded(cut(decoder.reader().read(), shownSize), wholeSize);
}

// ---- GIF: the first frame, decoded whole over its logical screen, then cut ----

PictureFile decodeGif(const QByteArray& bytes, const QByteArray& formatName)
{
    MemoryReader decoder(bytes, formatName);
    const QSize frameSize = decoder.reader().size();
    if (!frameSize.isValid() || !isGifFirstFrameWhole(bytes))
        return notAPicture();
    // Qt makes the picture the size of the logical screen, which the reader's size does not report.
    const QSize screen = gifScreenSize(bytes).expandedTo(frameSize);
    if (qint64(screen.width()) * screen.height() * 4 > maxDecodingBytes)
        return tooLarge();
    const QImage whole = decoder.reader().read();
    return decoded(cut(whole, shownSize), whole.size());
}

// The format by content, as the bytes say whatever the file's name.
QByteArray formatByContent(QIODevice& device)
{
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    return reader.format();
}

PictureFile decode(QIODevice& device, PictureRegion region)
{
    limitQtAllocations();
    const QByteArray formatName = formatByContent(device);
    const Format format = formatOf(formatName);
    if (format == Format::Other)
        return notAPicture();
    if (format == Format::Bmp)
        return decodeBitmap(device);
    // JPEG and GIF decoders need the stream; the bytes go as soon as the region is decoded.
    return decodeWholeFile(device, [&](const QByteArray& bytes) {
        return format == Format::Jpeg ? decodeJpeg(bytes, formatName, region) : decodeGif(bytes, formatName);
    });
}

} // namespace

PictureFile readPicture(const QByteArray& bytes, PictureRegion region)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return decode(buffer, region);
}

PictureFile readPictureFile(const QString& path, PictureRegion region)
{
    const QFileInfo info(path);
    if (!info.exists())
        return failure(PictureFileError::Missing, "el archivo no existe");
    // Regular files only: opening a named pipe would wait for a writer for ever. Unbuffered, so that
    // each read goes straight into place.
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return unreadable();
    return decode(file, region);
}

} // namespace velsaro
