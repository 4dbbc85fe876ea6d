#include "picture/jpeg_file.h"

#include "picture/format_reading.h"
#include "picture/jpeg_decompressor.h"

#include <cstdint>
#include <cstring>

namespace velsaro::detail {

namespace {

int bigEndian16(const QByteArray& bytes, qsizetype at)
{
    if (at + 1 >= bytes.size())
        return 0;
    return std::uint8_t(bytes[at]) << 8 | std::uint8_t(bytes[at + 1]);
}

bool isStandaloneMarker(int marker)
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
        if (next == 0x00 || next == 0xFF || isStandaloneMarker(next))
            at += next == 0xFF ? 1 : 2;
        else
            return at;
    }
    return bytes.size();
}

// A cut JPEG still decodes, its missing part grey, so the file must reach its end-of-image marker.
// The headers cannot tell: this walks every segment and scan to the end.
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
        if (marker == 0xFF || isStandaloneMarker(marker))
            continue;
        if (marker == 0xD9)
            return true;
        at += bigEndian16(bytes, at);
        if (marker == 0xDA && at <= bytes.size())
            at = nextMarkerAfterScan(bytes, at);
    }
    return false;
}

// Qt's reader stops after the last row of the clip rectangle; a picture within the region is read as
// it is, without the copy of each row a clip rectangle costs.
PictureFile decodedByQt(const QByteArray& bytes, QSize wholeSize)
{
    MemoryReader decoder(bytes, "jpeg");
    const QRect shownRect = topLeft(wholeSize, shownSize);
    if (shownRect.size() != wholeSize)
        decoder.reader().setClipRect(shownRect);
    return decoded(cut(decoder.reader().read(), shownSize), wholeSize);
}

PictureFile decodeJpeg(const QByteArray& bytes, PictureRegion region)
{
    JpegDecompressor jpeg(bytes);
    if (!jpeg.isHeaderRead() || !isJpegWhole(bytes))
        return notAPicture();
    // A progressive or multi-scan file is decoded whole into coefficients before any row comes out.
    if (jpeg.bufferedBytes() > maxDecodingBytes)
        return tooLarge();
    if (region == PictureRegion::Keyed && jpeg.isRegionDecodable()) {
        const QImage keyed = jpeg.decodeRegion(keyRegionWidth, keyRegionTop, keyRegionHeight);
        if (!keyed.isNull())
            return decoded(keyed, jpeg.size());
    }
    return decodedByQt(bytes, jpeg.size());
}

} // namespace

PictureFile readJpeg(QIODevice& device, PictureRegion region)
{
    // libjpeg and Qt's decoder need the stream; the bytes go as soon as the region is decoded.
    return decodeWholeFile(device, [region](const QByteArray& bytes) { return decodeJpeg(bytes, region); });
}

} // namespace velsaro::detail
