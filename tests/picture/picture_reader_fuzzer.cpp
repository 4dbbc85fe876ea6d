// libFuzzer target: any bytes through the picture reader, for the region the program shows and the one
// the tool keys. Built and run by scripts/fuzz.sh under AddressSanitizer and UndefinedBehaviorSanitizer.
// Besides crashes it fails on a reader that reads the same bytes two ways, on a shown region, or the
// key's rows and columns of a keyed one, whose opaque pixels are not those of Qt's whole decode, and on a
// JPEG fitted from its DC scans alone to other pixels than libjpeg's decode of all of it.
#include "picture/jpeg_decompressor.h"
#include "picture/picture_file.h"

#include <QBuffer>
#include <QImageReader>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using velsaro::PictureFile;

// A picture read is at most the drawing area; a refusal carries no picture and says why.
bool isWellFormed(const PictureFile& file)
{
    const bool read = file.error == velsaro::PictureFileError::None;
    return read == !file.image.isNull() && read == file.reason.isEmpty() &&
           file.image.width() <= velsaro::drawingAreaWidth && file.image.height() <= velsaro::drawingAreaHeight;
}

bool isSameRead(const PictureFile& first, const PictureFile& second)
{
    return first.error == second.error && first.size == second.size && first.image == second.image;
}

// Qt's decode of the whole file, for pictures small enough to decode quickly. A last row that lacks its
// padding is read with zeros there, as the reader reads it; Qt would leave that row unset.
QImage wholeDecode(const QByteArray& bytes)
{
    QByteArray padded = bytes + QByteArray(4, '\0');
    QBuffer buffer(&padded);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > 4 * 1024 * 1024)
        return {};
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

// The pixels of a read region that must be a whole decode's: all of a shown one, the key's rows and
// columns of a keyed one.
QRect comparedPixels(const PictureFile& file, velsaro::PictureRegion region)
{
    const QRect all = file.image.rect();
    if (region == velsaro::PictureRegion::Shown)
        return all;
    return all.intersected(QRect(0, velsaro::keyRegionTop, velsaro::keyRegionWidth,
                                 velsaro::keyRegionHeight - velsaro::keyRegionTop));
}

// Where Qt decodes the file to the reader's size, the region's opaque pixels have Qt's colours (made
// opaque, for a reserved fourth byte); its transparent ones may be unset in the file, and Qt's random.
bool agreesWithWholeDecode(const QByteArray& bytes, const PictureFile& file, velsaro::PictureRegion read)
{
    const QImage whole = wholeDecode(bytes);
    if (whole.isNull() || whole.width() != file.size.width || whole.height() != file.size.height)
        return true;
    const QImage region = file.image.convertToFormat(QImage::Format_ARGB32);
    const QRect compared = comparedPixels(file, read);
    for (int y = compared.top(); y <= compared.bottom(); ++y) {
        for (int x = compared.left(); x <= compared.right(); ++x) {
            const QRgb ours = region.pixel(x, y);
            if (qAlpha(ours) != 0 && (ours & 0xFFFFFF) != (whole.pixel(x, y) & 0xFFFFFF))
                return false;
        }
    }
    return true;
}

// The JPEG fitted to its 1/8 scale exactly, so that every pixel of libjpeg's decode is compared, both
// ways where the DC scans give a picture; pictures large enough to decode slowly are left out.
bool isDcDecodeTheWholeDecode(const QByteArray& bytes)
{
    QBuffer dcFile;
    dcFile.setData(bytes);
    dcFile.open(QIODevice::ReadOnly);
    velsaro::detail::JpegDecompressor dc(dcFile);
    const QSize size = dc.size();
    if (!dc.isHeaderRead() || qint64(size.width()) * size.height() > 4 * 1024 * 1024)
        return true;
    const QSize eighth((size.width() + 7) / 8, (size.height() + 7) / 8);
    const QImage fromDc = dc.decodeFittedFromDc(eighth);
    if (fromDc.isNull())
        return true;
    QBuffer wholeFile;
    wholeFile.setData(bytes);
    wholeFile.open(QIODevice::ReadOnly);
    velsaro::detail::JpegDecompressor whole(wholeFile);
    return whole.decodeFittedWhole(eighth) == fromDc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const velsaro::PictureRegion region : {velsaro::PictureRegion::Shown, velsaro::PictureRegion::Keyed}) {
        const PictureFile file = velsaro::readPicture(bytes, region);
        if (!isWellFormed(file) || !isSameRead(file, velsaro::readPicture(bytes, region)))
            std::abort();
        if (file.error == velsaro::PictureFileError::None && !agreesWithWholeDecode(bytes, file, region))
            std::abort();
    }
    if (!isDcDecodeTheWholeDecode(bytes))
        std::abort();
    return 0;
}
