// Reading a picture file: the format recognised by content, then handed to that format's reader
// (bitmap_file, jpeg_file, gif_file), which decides from the file's headers how to read the region.
#include "picture/picture_file.h"

#include "picture/bitmap_file.h"
#include "picture/format_reading.h"
#include "picture/gif_file.h"
#include "picture/jpeg_file.h"

#include <QBuffer>
#include <QImageReader>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velsaro {

namespace {

enum class Format { Bmp, Jpeg, Gif, Other };

// The format by content, as the bytes say whatever the file's name: the signatures by which Qt's
// readers of these formats recognise their files, checked here so that no image plugin is loaded for it.
Format formatByContent(QIODevice& device)
{
    const QByteArray head = device.peek(6);
    if (head.startsWith("BM"))
        return Format::Bmp;
    if (head.startsWith("\xFF\xD8"))
        return Format::Jpeg;
    if (head == "GIF87a" || head == "GIF89a")
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

PictureFile decode(QIODevice& device, PictureRegion region)
{
    limitQtAllocations();
    switch (formatByContent(device)) {
    case Format::Bmp:
        return detail::readBitmap(device, region);
    case Format::Jpeg:
        return detail::readJpeg(device, region);
    case Format::Gif:
        return detail::readGif(device, region);
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

PictureFile readPictureFile(const std::string& path, PictureRegion region)
{
    // Opened first, then asked what it is, so that nothing can replace it in between: without
    // O_NONBLOCK a named pipe would wait for a writer for ever. Every read after goes through this
    // one descriptor, so that a file renamed over the path meanwhile is never mixed in.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return errno == ENOENT ? detail::failure(PictureFileError::Missing, "el archivo no existe")
                               : detail::unreadable();
    struct stat status {};
    const bool isRegular = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    // Blocking again for the reads.
    const PictureFile result =
        isRegular && fcntl(descriptor, F_SETFL, O_RDONLY) == 0
            ? detail::readUnchanged(descriptor, [region](QIODevice& file) { return decode(file, region); })
            : detail::unreadable();
    close(descriptor);
    return result;
}

} // namespace velsaro
