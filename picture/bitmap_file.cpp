#include "picture/bitmap_file.h"

#include "picture/area_fit.h"
#include "picture/drawing_area.h"
#include "picture/format_reading.h"
#include "picture/run_length_rows.h"

#include <QIODevice>

#include <cstdint>
#include <cstring>
#include <limits>

namespace velsaro::detail {

namespace {

constexpr qint64 bmpFileHeaderSize = 14;
constexpr qint64 bmpHeadBytes = bmpFileHeaderSize + 40; // every field read lies in the first 40 bytes
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
    qint64 dataOffset = 0; // as the file header says
    std::uint32_t infoSize = 0;
    qint64 width = 0;
    qint64 height = 0; // rows, whichever way they run
    bool isTopDown = false;
    int planes = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = bmpRgb;
    qint64 paletteEntries = 0;
    qint64 paletteEntryBytes = 4;

    bool isRunLength() const { return compression == bmpRle8 || compression == bmpRle4; }
    // Colour masks stored after a 40-byte (or OS/2 2.x 64-byte) header; later headers hold theirs.
    qint64 maskBytes() const
    {
        const bool hasMasks = compression == bmpBitfields && (bitsPerPixel == 16 || bitsPerPixel == 32);
        return hasMasks && (infoSize == 40 || infoSize == 64) ? 12 : 0;
    }
    qint64 paletteStart() const { return bmpFileHeaderSize + infoSize + maskBytes(); }
    // The end of the headers, masks and palette, which every reader reads in full.
    qint64 headersEnd() const { return paletteStart() + paletteEntries * paletteEntryBytes; }
    // Pixels follow the palette where the offset points into it, as Qt and other readers take them.
    qint64 pixelsStart() const { return qMax(dataOffset, headersEnd()); }
    PictureSize size() const { return {width, height}; }

    // A header that could describe a picture, whatever its size; garbage after "BM" is not one.
    bool isPlausible() const
    {
        const bool knownSize = infoSize == 12 || infoSize == 40 || infoSize == 52 || infoSize == 56 ||
                               infoSize == 64 || infoSize == 108 || infoSize == 124;
        const bool knownDepth = bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 ||
                                bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
        // The compressions each depth allows, and a palette Qt takes (1 to 256 colours).
        const bool knownCompression = compression == bmpRgb || (bitsPerPixel == 8 && compression == bmpRle8) ||
                                      (bitsPerPixel == 4 && compression == bmpRle4) ||
                                      (compression == bmpBitfields && (bitsPerPixel == 16 || bitsPerPixel == 32));
        const bool knownPalette = bitsPerPixel > 8 || (paletteEntries >= 1 && paletteEntries <= 256);
        return knownSize && knownDepth && knownCompression && knownPalette && planes == 1 && width > 0 &&
               height > 0;
    }
};

BitmapHeader bitmapHeader(const QByteArray& bytes)
{
    BitmapHeader header;
    header.dataOffset = littleEndian(bytes, 10, 4);
    header.infoSize = littleEndian(bytes, 14, 4);
    std::uint32_t coloursUsed = 0;
    if (header.infoSize == 12) { // OS/2 1.x: 16-bit sizes, never compressed, 3-byte palette entries
        header.width = littleEndian(bytes, 18, 2);
        header.height = littleEndian(bytes, 20, 2);
        header.planes = int(littleEndian(bytes, 22, 2));
        header.bitsPerPixel = int(littleEndian(bytes, 24, 2));
        header.paletteEntryBytes = 3;
    } else {
        header.width = std::int32_t(littleEndian(bytes, 18, 4));
        header.height = std::int32_t(littleEndian(bytes, 22, 4));
        header.planes = int(littleEndian(bytes, 26, 2));
        header.bitsPerPixel = int(littleEndian(bytes, 28, 2));
        header.compression = littleEndian(bytes, 30, 4);
        coloursUsed = littleEndian(bytes, 46, 4);
    }
    header.isTopDown = header.height < 0;
    header.height = qAbs(header.height); // in 64 bits: -2^31 rows are 2^31 top-down
    if (header.bitsPerPixel <= 8)
        header.paletteEntries = coloursUsed != 0 ? qint64(coloursUsed) : qint64(1) << header.bitsPerPixel;
    return header;
}

// ---- Headers Qt would misread ----

// Qt reads only the 40-, 64-, 108- and 124-byte info headers, but writers also use the 52- and 56-byte
// ones (the 40-byte fields followed by three or four colour masks). Those become a 108-byte header with
// the same masks, an sRGB colour space and everything after it moved along.
void widenMaskHeader(QByteArray& bytes, const BitmapHeader& header)
{
    if (header.infoSize != 52 && header.infoSize != 56)
        return;
    QByteArray tail(qsizetype(bmpV4HeaderSize - header.infoSize), '\0');
    const qsizetype colourSpaceAt = 56 - qsizetype(header.infoSize); // after the alpha mask
    setLittleEndian32(tail, colourSpaceAt, 0x73524742);                // 'sRGB'
    bytes.insert(bmpFileHeaderSize + header.infoSize, tail);
    setLittleEndian32(bytes, 14, bmpV4HeaderSize);
    setLittleEndian32(bytes, 10, std::uint32_t(littleEndian(bytes, 10, 4) + tail.size()));
}

// In a BI_RGB bitmap the colour masks of a 52-, 56-byte (widened), V4 or V5 header mean nothing and the
// fourth byte of a 32-bit pixel is reserved (often 0), but Qt 6.4 takes an alpha mask found there as
// real alpha and would make such a picture transparent. Clearing the masks makes it read them as the
// opaque picture it is. A 40-byte header has no masks: what follows it is the palette or the pixels.
void clearUnusedMasks(QByteArray& bytes, const BitmapHeader& header)
{
    if (header.compression != bmpRgb || header.bitsPerPixel != 32 || header.infoSize < 52)
        return;
    std::memset(bytes.data() + 54, 0, 16);
}

// ---- Uncompressed: only the rows and columns of the region ----

qint64 storedRowBytes(const BitmapHeader& header, qint64 width)
{
    return (width * header.bitsPerPixel + 31) / 32 * 4; // rows are padded to 32 bits
}

qint64 pixelBytes(const BitmapHeader& header, qint64 width)
{
    return (width * header.bitsPerPixel + 7) / 8;
}

// Uncompressed rows need only the file's size to tell whether they are all there; the last row stored
// may lack its padding, which holds no pixel.
bool isUncompressedDataWhole(const BitmapHeader& header, qint64 fileSize)
{
    const qint64 pixelData = fileSize - header.pixelsStart() - pixelBytes(header, header.width);
    // Divided, not multiplied: a header may claim 2^31 x 2^31 pixels of 32 bits.
    return pixelData >= 0 && pixelData / storedRowBytes(header, header.width) >= header.height - 1;
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

// Bytes read from the file, or why they could not be.
struct BytesRead {
    QByteArray bytes;
    PictureFile failure; // error None when the bytes were read

    bool isRead() const { return failure.error == PictureFileError::None; }
};

BytesRead failedRead(qint64 read)
{
    return {QByteArray(), read < 0 ? unreadable() : notAPicture()};
}

// Up to length bytes from position at, fewer where the file ends.
BytesRead bytesAt(QIODevice& device, qint64 at, qint64 length)
{
    QByteArray bytes(qsizetype(length), Qt::Uninitialized);
    const qint64 read = readAt(device, at, bytes.data(), length);
    if (read < 0)
        return failedRead(read);
    bytes.truncate(qsizetype(read));
    return {bytes, {}};
}

// The region's rows in the order the file stores them, each cut to its leading bytes, read into place
// after the headers. A row that the file no longer holds means it was cut meanwhile; only the padding
// of the last row may be missing, and reads as zeros.
qint64 readRegionRows(QIODevice& device, const BitmapHeader& header, const BitmapRegion& region, char* into)
{
    const qint64 needed = pixelBytes(header, region.width);
    for (qint64 row = 0; row < region.height; ++row) {
        const qint64 at = header.pixelsStart() + (region.firstStoredRow + row) * region.rowBytes;
        char* const rowInto = into + row * region.regionRowBytes;
        const qint64 read = readAt(device, at, rowInto, region.regionRowBytes);
        if (read < needed)
            return read < 0 ? -1 : 0;
        std::memset(rowInto + read, 0, std::size_t(region.regionRowBytes - read));
    }
    return 1;
}

// The region's size in the headers of its own bitmap.
void setRegionSize(QByteArray& bitmap, const BitmapHeader& header, const BitmapRegion& region)
{
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
    setLittleEndian32(bitmap, 10, std::uint32_t(header.headersEnd()));
}

// A bitmap of the region alone: the file's headers, masks and palette with the region's size, and the
// region's rows right after them. Qt decodes it pixel for pixel as it would the whole file, and of a
// large bitmap only these bytes are read, whatever lies between the palette and the pixels.
BytesRead bitmapOfRegion(QIODevice& device, const BitmapHeader& header, const BitmapRegion& region)
{
    // Made at its full size at once: grown from the headers' size by reallocation, it would stay in
    // the heap and leave holes there that make the program grow a little with every load.
    const qint64 headersEnd = header.headersEnd();
    QByteArray bitmap(qsizetype(headersEnd + region.regionRowBytes * region.height), Qt::Uninitialized);
    const qint64 headersRead = readAt(device, 0, bitmap.data(), headersEnd);
    if (headersRead != headersEnd) // cut since its size was taken, or unreadable
        return failedRead(headersRead);
    const qint64 rowsRead = readRegionRows(device, header, region, bitmap.data() + headersEnd);
    if (rowsRead <= 0)
        return failedRead(rowsRead);
    setRegionSize(bitmap, header, region);
    widenMaskHeader(bitmap, header);
    clearUnusedMasks(bitmap, header);
    return {bitmap, {}};
}

PictureFile readUncompressedBitmap(QIODevice& device, const BitmapHeader& header)
{
    if (!isUncompressedDataWhole(header, device.size()))
        return notAPicture();
    const BytesRead region = bitmapOfRegion(device, header, bitmapRegion(header, shownSize));
    if (!region.isRead())
        return region.failure;
    MemoryReader decoder(region.bytes, "bmp");
    return decoded(decoder.reader().read(), header.size());
}

// ---- Uncompressed and fitted: the whole picture, a band of rows at a time ----

// Rows of this many bytes at most are decoded together, so that fitting a large bitmap holds little
// more than its fitted picture.
constexpr qint64 bandBytes = 1024 * 1024;

// Rows [top, top + count) of the picture, counted from its top, as a region of the file.
BitmapRegion bandOf(const BitmapHeader& header, qint64 top, qint64 count)
{
    BitmapRegion band = bitmapRegion(header, QSize(int(header.width), int(count)));
    band.firstStoredRow = header.isTopDown ? top : header.height - top - count;
    return band;
}

PictureFile fitUncompressedBitmap(QIODevice& device, const BitmapHeader& header)
{
    if (!isUncompressedDataWhole(header, device.size()))
        return notAPicture();
    const qint64 rowBytes = storedRowBytes(header, header.width);
    // Qt decodes a band into 4 bytes a pixel.
    if (header.width * 4 > maxDecodingBytes || header.height > std::numeric_limits<int>::max())
        return tooLarge();
    const qint64 bandRows = qMax<qint64>(1, bandBytes / rowBytes);
    AreaFitter fitter(QSize(int(header.width), int(header.height)),
                      fittedSize(header.width, header.height));
    for (qint64 top = 0; top < header.height; top += bandRows) {
        const BytesRead band = bitmapOfRegion(device, header, bandOf(header, top, qMin(bandRows, header.height - top)));
        if (!band.isRead())
            return band.failure;
        MemoryReader decoder(band.bytes, "bmp");
        const QImage rows = opaqueOverBackground(decoder.reader().read());
        if (rows.isNull())
            return notAPicture();
        for (int y = 0; y < rows.height(); ++y)
            fitter.addRow(reinterpret_cast<const QRgb*>(rows.constScanLine(y)));
    }
    return decoded(fitter.result(), header.size());
}

// ---- Run-length encoded: streamed, the region kept ----

// Qt decodes a run-length bitmap whole, a byte a pixel, and the walk to its region may take a step for
// every row: a header that claims more than the bound is refused before any of it. Fitted, the whole
// picture is kept, 4 bytes a pixel.
bool isRunLengthWithinBound(const BitmapHeader& header, bool isFitted)
{
    return header.height <= maxDecodingBytes / (isFitted ? 4 : 1) / header.width;
}

PictureFile readRunLengthBitmap(QIODevice& device, const BitmapHeader& header, PictureRegion region)
{
    const bool isFitted = region == PictureRegion::Fitted;
    if (!isRunLengthWithinBound(header, isFitted))
        return tooLarge();
    const QSize kept = isFitted ? QSize(int(header.width), int(header.height)) : shownSize;
    ByteStream stream(device, header.paletteStart());
    RunLengthLayout layout{header.width, header.height, header.isTopDown, header.bitsPerPixel, {}};
    for (qint64 entry = 0; entry < header.paletteEntries; ++entry) {
        char bgr[4];
        if (stream.read(bgr, header.paletteEntryBytes) != header.paletteEntryBytes)
            return notAPicture();
        layout.palette.append(qRgb(std::uint8_t(bgr[2]), std::uint8_t(bgr[1]), std::uint8_t(bgr[0])));
    }
    stream.skip(header.pixelsStart() - header.headersEnd());
    QImage pixels(int(qMin<qint64>(header.width, kept.width())), int(qMin<qint64>(header.height, kept.height())),
                  QImage::Format_ARGB32);
    pixels.fill(Qt::transparent);
    if (!decodeRunLengthRows(stream, layout, pixels))
        return notAPicture();
    return decoded(isFitted ? fittedWhole(pixels) : pixels, header.size());
}

} // namespace

PictureFile readBitmap(QIODevice& device, PictureRegion region)
{
    const BytesRead head = bytesAt(device, 0, bmpHeadBytes);
    if (!head.isRead())
        return head.failure;
    const BitmapHeader header = bitmapHeader(head.bytes);
    if (!header.isPlausible())
        return notAPicture();
    if (header.isRunLength())
        return readRunLengthBitmap(device, header, region);
    return region == PictureRegion::Fitted ? fitUncompressedBitmap(device, header)
                                           : readUncompressedBitmap(device, header);
}

} // namespace velsaro::detail
