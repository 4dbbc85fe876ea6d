// What the readers of the three formats share: the results they give, little-endian fields, reads from
// the file at a position or as a stream, Qt's reader over bytes, and the top-left region kept of a
// decoded picture.
#pragma once

#include "picture/picture_file.h"

#include <QBuffer>
#include <QIODevice>
#include <QImageReader>
#include <QSize>

#include <cstdint>
#include <functional>
#include <span>

namespace velsaro::detail {

PictureFile failure(PictureFileError error, const char* reason);
PictureFile notAPicture();
PictureFile tooLarge();
PictureFile unreadable();
PictureFile changedWhileRead();
PictureFile readTooLong();

// An open regular file read at positions, for maxReadBytes in all: a read past them fails, as the end
// of a file does, and the reading that needed it is refused as too large.
class BoundedFile : public QIODevice {
public:
    BoundedFile(int descriptor, qint64 size);

    bool isSequential() const override { return false; }
    qint64 size() const override { return size_; }
    bool isBoundReached() const { return isBoundReached_; }

protected:
    qint64 readData(char* into, qint64 length) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    int descriptor_;
    qint64 size_; // as the file's status said before the reading
    qint64 readBytes_ = 0;
    bool isBoundReached_ = false;
};

// The picture read decodes from the open regular file, through one BoundedFile over it. A file whose
// length or times changed meanwhile (a picture re-saved in place, cut then written again) may have
// given its reader bytes of two versions, so it is read once more, and refused if it changes again.
PictureFile readUnchanged(int descriptor, const std::function<PictureFile(QIODevice&)>& read);

// A little-endian field of size bytes; a field past the end reads as zero, and every caller checks the
// size it needs before trusting a field.
std::uint32_t littleEndian(const QByteArray& bytes, qsizetype at, int size);

// Reads up to length bytes at position at: fewer where the file ends, as when it was cut after its
// size was taken; -1 when the read itself fails.
qint64 readAt(QIODevice& device, qint64 at, char* into, qint64 length);

// The file read forward from a position through a buffer of its own, for data that is walked a byte
// at a time (run-length rows, GIF blocks, JPEG segments): only as much of the file is read as the walk
// goes, so bytes after the picture's end cost nothing.
class ByteStream {
public:
    ByteStream(QIODevice& device, qint64 start);

    // The next byte, or -1 where the file ends or cannot be read.
    int next()
    {
        if (at_ == filled_ && !fill())
            return -1;
        return std::uint8_t(buffer_.constData()[at_++]);
    }
    // The bytes read ahead from the next one, to pass with skip; empty only where the file ends.
    std::span<const std::uint8_t> ahead()
    {
        if (at_ == filled_)
            fill();
        return {reinterpret_cast<const std::uint8_t*>(buffer_.constData()) + at_, std::size_t(filled_ - at_)};
    }
    // The next byte without passing it; -1 likewise.
    int peek();
    // Passes count bytes, wherever the file ends: the reads after tell.
    void skip(qint64 count);
    // Passes bytes up to and including the next one of value; false if the file ends first.
    bool skipPast(std::uint8_t value);
    // Up to length bytes into place; fewer where the file ends.
    qint64 read(char* into, qint64 length);
    // The file position of the next byte.
    qint64 position() const { return bufferStart_ + at_; }

private:
    bool fill();

    QIODevice& device_;
    QByteArray buffer_;
    qint64 bufferStart_;   // the file position of buffer_[0]
    qsizetype at_ = 0;     // the next byte's place in buffer_
    qsizetype filled_ = 0; // bytes of buffer_ that hold the file
};

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
PictureFile decoded(const QImage& image, PictureSize wholeSize);
inline PictureSize sizeOf(QSize size) { return {size.width(), size.height()}; }

} // namespace velsaro::detail
