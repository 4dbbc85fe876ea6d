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

} // namespace velsaro::testing
