#include "picture/bitmap_file.h"

#include "picture/format_reading.h"

#include <QIODevice>

#include <cstdint>

namespace velsaro::detail {

namespace {

constexpr qsizetype bmpFileHeaderSize = 14;
constexpr std::uint32_t bmpRgb = 0;
constexpr std::uint32_t bmpRle8 = 1;
constexpr std::uint32_t bmpRle4 = 2;
constexpr std::uint32_t bmpBitfields = 3;
constexpr std::uint32_t bmpV4HeaderSize = 108;

void setLittleEndian32(QByteArray& bytes, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

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

// ---- Whether the file is whole ----

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

// ---- Headers Qt would misread ----

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

PictureFile decodedBitmap(QByteArray readable, QSize wholeSize)
{
    widenMaskHeader(readable);
    clearUnusedMasks(readable);
    MemoryReader decoder(readable, "bmp");
    return decoded(cut(decoder.reader().read(), shownSize), wholeSize);
}

// ---- Only the rows and columns of the region ----

// Headers, palettes and masks of a bitmap lie before its pixel data; one that starts further in is
// read whole.
constexpr qsizetype maxBitmapHeaderBytes = 64 * 1024;

bool isRegionReadable(const BitmapHeader& header)
{
    return (header.compression == bmpRgb || header.compression == bmpBitfields) &&
           header.dataOffset <= maxBitmapHeaderBytes;
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

// ---- Read whole ----

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

} // namespace

PictureFile readBitmap(QIODevice& device)
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

} // namespace velsaro::detail
