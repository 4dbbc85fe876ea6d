// JPEG files through Qt's own writer: the tests need real, ordinary JPEGs, not exact bytes.
#include "tests/support/picture_files.h"

#include <QBuffer>
#include <QImageWriter>

namespace velsaro::testing {

QByteArray jpeg(const QImage& picture, JpegColour colour, int quality)
{
    // A greyscale QImage is written as a one-component JPEG.
    const QImage source = colour == JpegColour::Grey
                              ? picture.convertToFormat(QImage::Format_Grayscale8)
                              : picture.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(source))
        return {};
    return bytes;
}

QByteArray withExifOrientation(const QByteArray& jpegFile, int orientation)
{
    // APP1: "Exif", a little-endian TIFF header and one directory with the one tag 0x0112 (SHORT).
    QByteArray exif("\xFF\xE1\x00\x22"
                    "Exif\0\0"
                    "II\x2A\x00\x08\x00\x00\x00"
                    "\x01\x00"
                    "\x12\x01\x03\x00\x01\x00\x00\x00\x00\x00\x00\x00"
                    "\x00\x00\x00\x00",
                    36);
    exif[4 + 6 + 8 + 2 + 8] = char(orientation);
    QByteArray result = jpegFile;
    result.insert(2, exif); // after the start-of-image marker
    return result;
}

} // namespace velsaro::testing
