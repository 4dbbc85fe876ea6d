// What the readers of the three formats share: the results they give, little-endian fields, reads from
// the file, the whole file in memory for decoders that need its stream, Qt's reader over bytes, and the
// top-left region kept of a decoded picture.
#pragma once

#include "picture/picture_file.h"

#include <QBuffer>
#include <QImageReader>

#include <cstdint>
#include <functional>

class QIODevice;

namespace velsaro::detail {

PictureFile failure(PictureFileError error, const char* reason);
PictureFile notAPicture();
PictureFile tooLarge();
PictureFile unreadable();

// A little-endian field of size bytes; a field past the end reads as zero, and every caller checks the
// size it needs before trusting a field.
std::uint32_t littleEndian(const QByteArray& bytes, qsizetype at, int size);

// Reads up to length bytes at position at: fewer where the file ends, as when it was cut after its
// size was taken; -1 when the read itself fails.
qint64 readAt(QIODevice& device, qint64 at, char* into, qint64 length);

// Decodes the whole file, read into memory for the decoders that need its stream and let go after.
// A file may be of any size, so one larger than the bound is refused before it is read; what a cut
// file holds is left to the format's checks.
PictureFile decodeWholeFile(QIODevice& device, const std::function<PictureFile(const QByteArray&)>& decode);

// A reader over bytes in memory that decides the format from the content and leaves the picture as
// stored: no EXIF rotation.
class MemoryReader {
public:
    explicit MemoryReader(const QByteArray& bytes, const QByteArray& format = {});

    QImageReader& reader() { return reader_; }

private:
    QByteArray bytes_; // shares the caller's data
    QBuffer buffer_;
    QImageReader reader_;
};

// The most of a picture that is ever shown: the drawing area's size.
inline constexpr QSize shownSize(drawingAreaWidth, drawingAreaHeight);

QRect topLeft(QSize pictureSize, QSize regionSize);
// The decoded picture cut to the region; the copy lets the whole decode go.
QImage cut(const QImage& picture, QSize regionSize);
// The region read, or why not: a null image is not a picture.
PictureFile decoded(const QImage& image, QSize wholeSize);

} // namespace velsaro::detail
