// Reading a picture file: the format recognised by content, then handed to that format's reader
// (bitmap_file, jpeg_file, gif_file), which decides from the file's headers how to read the region.
#include "picture/picture_file.h"

#include "picture/bitmap_file.h"
#include "picture/format_reading.h"
#include "picture/gif_file.h"
#include "picture/jpeg_file.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace velsaro {

namespace {

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

// The format by content, as the bytes say whatever the file's name.
Format formatByContent(QIODevice& device)
{
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    return formatOf(reader.format());
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

PictureFile decode(QIODevice& device, PictureRegion region)
{
    limitQtAllocations();
    switch (formatByContent(device)) {
    case Format::Bmp:
        return detail::readBitmap(device);
    case Format::Jpeg:
        return detail::readJpeg(device, region);
    case Format::Gif:
        return detail::readGif(device);
    case Format::Other:
        break;
    }
    return detail::notAPicture();
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
        return detail::failure(PictureFileError::Missing, "el archivo no existe");
    // Regular files only: opening a named pipe would wait for a writer for ever. Unbuffered, so that
    // each read goes straight into place.
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return detail::unreadable();
    return decode(file, region);
}

} // namespace velsaro
