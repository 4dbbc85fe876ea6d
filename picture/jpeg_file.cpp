#include "picture/jpeg_file.h"

#include "picture/area_fit.h"
#include "picture/format_reading.h"
#include "picture/jpeg_decompressor.h"

#include <QIODevice>

namespace velsaro::detail {

namespace {

bool isStandaloneMarker(int marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// The code of the next marker: stray bytes between segments and 0xFF fill are passed, as decoders pass
// them. -1 where the file ends.
int nextMarker(ByteStream& stream)
{
    if (!stream.skipPast(0xFF))
        return -1;
    while (stream.peek() == 0xFF)
        stream.next();
    return stream.next();
}

// The marker that ends a scan's entropy-coded data, in which 0xFF is followed only by a stuffed 0x00,
// a restart marker or more 0xFF fill. -1 where the file ends.
int markerAfterScan(ByteStream& stream)
{
    for (;;) {
        const int marker = nextMarker(stream);
        if (marker != 0x00 && !isStandaloneMarker(marker))
            return marker;
    }
}

// A cut JPEG still decodes, its missing part grey, so the file must reach its end-of-image marker.
// The headers cannot tell: this walks every segment and scan up to that marker, and no further.
bool isJpegWhole(QIODevice& device)
{
    ByteStream stream(device, 2); // after start-of-image
    int marker = nextMarker(stream);
    while (marker >= 0 && marker != 0xD9) {
        if (!isStandaloneMarker(marker)) {
            const int high = stream.next();
            const int low = stream.next();
            if (low < 0 || (high << 8 | low) < 2)
                return false;
            stream.skip((high << 8 | low) - 2);
        }
        marker = marker == 0xDA ? markerAfterScan(stream) : nextMarker(stream);
    }
    return marker == 0xD9;
}

// Qt's reader stops after the last row of the clip rectangle; a picture within the region is read as
// it is, without the copy of each row a clip rectangle costs.
PictureFile decodedByQt(QIODevice& device, QSize wholeSize)
{
    if (!device.seek(0))
        return unreadable();
    QImageReader reader(&device, "jpeg");
    reader.setAutoTransform(false);
    const QRect shownRect = topLeft(wholeSize, shownSize);
    if (shownRect.size() != wholeSize)
        reader.setClipRect(shownRect);
    return decoded(cut(reader.read(), shownSize), sizeOf(wholeSize));
}

// The region by libjpeg alone: the key's rows and columns, or the shown region of a progressive or
// multi-scan file (a single scan goes through Qt's reader, which stops after the region's last row as
// well). Null where libjpeg does not decode that region alone.
QImage regionDecoded(JpegDecompressor& jpeg, PictureRegion region)
{
    if (!jpeg.isRegionDecodable())
        return {};
    if (region == PictureRegion::Keyed)
        return jpeg.decodeRegion(keyRegionWidth, keyRegionTop, keyRegionHeight);
    if (jpeg.bufferedBytes() > 0)
        return jpeg.decodeRegion(shownSize.width(), 0, shownSize.height());
    return {};
}

// The whole picture fitted: scaled down by libjpeg where it can, from a progressive file's scans at 1/8
// without its coefficients where they are not needed; else, within the bound, with them, or through Qt's
// whole decode where libjpeg gives no RGB (CMYK, YCCK).
PictureFile fittedJpeg(QIODevice& device, JpegDecompressor& jpeg)
{
    const QSize fitted = fittedSize(jpeg.size().width(), jpeg.size().height());
    QImage scaled = jpeg.decodeFittedFromDc(fitted);
    if (scaled.isNull() && jpeg.bufferedBytes() > maxDecodingBytes)
        return tooLarge();
    if (scaled.isNull())
        scaled = jpeg.decodeFittedWhole(fitted);
    if (!scaled.isNull())
        return decoded(scaled, sizeOf(jpeg.size()));
    if (qint64(jpeg.size().width()) * jpeg.size().height() * 4 > maxDecodingBytes)
        return tooLarge();
    if (!device.seek(0))
        return unreadable();
    QImageReader reader(&device, "jpeg");
    reader.setAutoTransform(false);
    const QImage whole = reader.read();
    return whole.isNull() ? notAPicture() : decoded(fittedWhole(whole), sizeOf(jpeg.size()));
}

} // namespace

PictureFile readJpeg(QIODevice& device, PictureRegion region)
{
    JpegDecompressor jpeg(device);
    if (!jpeg.isHeaderRead() || !isJpegWhole(device))
        return notAPicture();
    if (region == PictureRegion::Fitted)
        return fittedJpeg(device, jpeg);
    const QImage read = regionDecoded(jpeg, region);
    if (!read.isNull())
        return decoded(read, sizeOf(jpeg.size()));
    // Qt's reader decodes a progressive or multi-scan file whole into coefficients before any row
    // comes out.
    if (jpeg.bufferedBytes() > maxDecodingBytes)
        return tooLarge();
    return decodedByQt(device, jpeg.size());
}

} // namespace velsaro::detail
