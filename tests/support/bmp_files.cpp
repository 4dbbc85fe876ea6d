// Windows bitmaps written field by field, so that a test knows every byte a reader sees.
#include "tests/support/picture_files.h"

namespace velsaro::testing {

namespace {

constexpr int fileHeaderSize = 14;
constexpr std::uint32_t compressionRgb = 0;
constexpr std::uint32_t compressionRle8 = 1;
constexpr std::uint32_t compressionRle4 = 2;
constexpr std::uint32_t compressionBitfields = 3;

void appendU16(QByteArray& bytes, std::uint16_t value)
{
    bytes.append(char(value & 0xFF));
    bytes.append(char(value >> 8));
}

void appendU32(QByteArray& bytes, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(char((value >> shift) & 0xFF));
}

void setU32(QByteArray& bytes, int at, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes[at + shift / 8] = char((value >> shift) & 0xFF);
}

void appendBgrx(QByteArray& bytes, QRgb colour, std::uint8_t fourth)
{
    bytes.append(char(qBlue(colour)));
    bytes.append(char(qGreen(colour)));
    bytes.append(char(qRed(colour)));
    bytes.append(char(fourth));
}

// Rows are padded to a multiple of four bytes.
int rowStride(int width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

struct BitmapLayout {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::uint32_t compression = compressionRgb;
    int infoHeaderSize = 40;
    int paletteEntries = 0;
    int masksAfterHeader = 0; // colour masks stored after a 40-byte header
};

int pixelDataOffset(const BitmapLayout& layout)
{
    return fileHeaderSize + layout.infoHeaderSize + 4 * layout.masksAfterHeader +
           4 * layout.paletteEntries;
}

// The file header and the first 40 bytes that every info header version shares.
QByteArray headers(const BitmapLayout& layout)
{
    const int imageSize = rowStride(layout.width, layout.bitsPerPixel) * layout.height;
    QByteArray bytes;
    bytes.append("BM");
    appendU32(bytes, std::uint32_t(pixelDataOffset(layout) + imageSize));
    appendU32(bytes, 0);
    appendU32(bytes, std::uint32_t(pixelDataOffset(layout)));
    appendU32(bytes, std::uint32_t(layout.infoHeaderSize));
    appendU32(bytes, std::uint32_t(layout.width));
    appendU32(bytes, std::uint32_t(layout.height)); // positive: bottom-up
    appendU16(bytes, 1);
    appendU16(bytes, std::uint16_t(layout.bitsPerPixel));
    appendU32(bytes, layout.compression);
    appendU32(bytes, std::uint32_t(imageSize));
    appendU32(bytes, 3780); // 96 dots per inch
    appendU32(bytes, 3780);
    appendU32(bytes, std::uint32_t(layout.paletteEntries));
    appendU32(bytes, 0);
    return bytes;
}

// Fields of the V4 header after its masks: sRGB colour space, no end points, no gamma.
void appendV4Tail(QByteArray& bytes)
{
    appendU32(bytes, 0x73524742); // 'sRGB'
    for (int i = 0; i < 9 + 3; ++i)
        appendU32(bytes, 0);
}

void appendV5Tail(QByteArray& bytes)
{
    appendU32(bytes, 4); // LCS_GM_IMAGES
    appendU32(bytes, 0); // no profile
    appendU32(bytes, 0);
    appendU32(bytes, 0);
}

template <typename WritePixel>
void appendRowsBottomUp(QByteArray& bytes, const QImage& picture, int bitsPerPixel,
                        WritePixel writePixel)
{
    const int padding = rowStride(picture.width(), bitsPerPixel) - picture.width() * bitsPerPixel / 8;
    for (int y = picture.height() - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width(); ++x)
            writePixel(x, y);
        bytes.append(QByteArray(padding, '\0'));
    }
}

int infoHeaderSize(BitfieldsHeader header)
{
    switch (header) {
    case BitfieldsHeader::Info40: return 40;
    case BitfieldsHeader::V3: return 56;
    case BitfieldsHeader::V4: return 108;
    case BitfieldsHeader::V5: return 124;
    }
    return 40;
}

} // namespace

QByteArray bmp24(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    BitmapLayout layout{rgb.width(), rgb.height(), 24};
    QByteArray bytes = headers(layout);
    appendRowsBottomUp(bytes, rgb, 24, [&](int x, int y) {
        const QRgb colour = rgb.pixel(x, y);
        bytes.append(char(qBlue(colour)));
        bytes.append(char(qGreen(colour)));
        bytes.append(char(qRed(colour)));
    });
    return bytes;
}

QByteArray bmp8(const QImage& picture)
{
    const QList<QRgb> palette = picture.colorTable();
    BitmapLayout layout{picture.width(), picture.height(), 8};
    layout.paletteEntries = int(palette.size());
    QByteArray bytes = headers(layout);
    for (QRgb colour : palette)
        appendBgrx(bytes, colour, 0);
    appendRowsBottomUp(bytes, picture, 8,
                       [&](int x, int y) { bytes.append(char(picture.pixelIndex(x, y))); });
    return bytes;
}

QByteArray bmpRunLength(const QImage& indexed, int bitsPerPixel, const QByteArray& data)
{
    const QList<QRgb> palette = indexed.colorTable();
    BitmapLayout layout{indexed.width(), indexed.height(), bitsPerPixel,
                        bitsPerPixel == 8 ? compressionRle8 : compressionRle4};
    layout.paletteEntries = int(palette.size());
    QByteArray bytes = headers(layout);
    for (QRgb colour : palette)
        appendBgrx(bytes, colour, 0);
    bytes.append(data);
    setU32(bytes, 2, std::uint32_t(bytes.size()));
    setU32(bytes, 34, std::uint32_t(data.size()));
    return bytes;
}

QByteArray bmp8RunLength(const QImage& indexed)
{
    QByteArray data;
    for (int y = indexed.height() - 1; y >= 0; --y) {
        for (int x = 0; x < indexed.width();) {
            const int index = indexed.pixelIndex(x, y);
            int count = 1;
            while (count < 255 && x + count < indexed.width() && indexed.pixelIndex(x + count, y) == index)
                ++count;
            data.append(char(count)).append(char(index));
            x += count;
        }
        data.append(y > 0 ? QByteArray("\0\0", 2) : QByteArray("\0\1", 2));
    }
    return bmpRunLength(indexed, 8, data);
}

QByteArray bmp32Rgb(const QImage& picture, std::uint8_t fourthByte)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    BitmapLayout layout{rgb.width(), rgb.height(), 32};
    QByteArray bytes = headers(layout);
    appendRowsBottomUp(bytes, rgb, 32,
                       [&](int x, int y) { appendBgrx(bytes, rgb.pixel(x, y), fourthByte); });
    return bytes;
}

QByteArray bmp32Bitfields(const QImage& picture, BitfieldsHeader header)
{
    // Straight (not premultiplied) alpha, as the file format stores it.
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    BitmapLayout layout{argb.width(), argb.height(), 32, compressionBitfields};
    layout.infoHeaderSize = infoHeaderSize(header);
    layout.masksAfterHeader = header == BitfieldsHeader::Info40 ? 3 : 0;
    QByteArray bytes = headers(layout);
    appendU32(bytes, 0x00FF0000);
    appendU32(bytes, 0x0000FF00);
    appendU32(bytes, 0x000000FF);
    if (header != BitfieldsHeader::Info40)
        appendU32(bytes, 0xFF000000);
    if (header == BitfieldsHeader::V4 || header == BitfieldsHeader::V5)
        appendV4Tail(bytes);
    if (header == BitfieldsHeader::V5)
        appendV5Tail(bytes);
    appendRowsBottomUp(bytes, argb, 32, [&](int x, int y) {
        const QRgb colour = argb.pixel(x, y);
        appendBgrx(bytes, colour, std::uint8_t(qAlpha(colour)));
    });
    return bytes;
}

} // namespace velsaro::testing
