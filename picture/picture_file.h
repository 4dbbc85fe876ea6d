// Reading a picture file the way the program does: Windows bitmap, JPEG or GIF, recognised by content,
// and only the part of it that is ever shown or keyed.
#pragma once

#include "engine/geometry.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <string>

namespace velsaro {

enum class PictureFileError {
    None,
    Missing,     // no such file
    Unreadable,  // exists but cannot be opened or read (a directory, no permission, ...)
    NotAPicture, // empty, another format, or a BMP, JPEG or GIF that is cut or does not decode
    TooLarge,    // even the region would need more than maxDecodingBytes to decode, or reading it more
                 // than maxReadBytes of the file
    Changing,    // its length or times changed while it was read, and again when it was read once more
};

// Most memory a picture's decoding may hold besides the region it returns: a GIF's logical screen
// (4 bytes a pixel) or a progressive JPEG's coefficients (128 bytes per 8 x 8 block of each component,
// 324 MB for a 12000 x 9000 photograph sampled 4:2:0). Files are read as a stream, never held whole,
// so their length does not count: pictures of any size whose region decodes within it are read.
inline constexpr qint64 maxDecodingBytes = 512LL * 1024 * 1024;

// Most bytes one reading of a file may read: its headers, the walk to its end marker (a JPEG's, a GIF's
// first frame's, a run-length bitmap's) and its decode together. Without it a file of gigabytes of
// nothing, sparse on disk, that never reaches its end marker would be walked to its end for a minute;
// with it such a file is refused in well under a second, and a 12000 x 9000 photograph, read twice when
// progressive, needs a seventh of it.
inline constexpr qint64 maxReadBytes = 256LL * 1024 * 1024;

// What is read of a picture, always from its top-left corner.
enum class PictureRegion {
    // What the drawing area shows: at most drawingAreaWidth x drawingAreaHeight pixels.
    Shown,
    // At least the pixels the key reads (columns 0..331 of rows keyRegionTop up to keyRegionHeight - 1),
    // each as in the shown region. Other pixels may differ: rows above are black, and the last of the
    // keyRegionWidth columns decoded are there only so that column 331 is upsampled as in a whole decode.
    Keyed,
    // The whole picture scaled into the drawing area (--fit): fittedSize(width, height) pixels, each the
    // area average of the pixels it covers (area_fit.h), opaque over the area's grey.
    Fitted,
};

// The largest mask reaches x = 331 and y = 388; 16 more columns keep the last one as a whole decode
// makes it (fancy upsampling reads one neighbour to the right, one MCU away at most).
inline constexpr int keyRegionWidth = 348;
inline constexpr int keyRegionTop = 119;
inline constexpr int keyRegionHeight = 389;

// A whole picture's size: a bitmap may claim 2^31 rows, which no int holds.
struct PictureSize {
    qint64 width = 0;
    qint64 height = 0;

    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

struct PictureFile {
    QImage image;     // the region; null unless error is None
    PictureSize size; // the whole picture's, as a whole decode would give it
    PictureFileError error = PictureFileError::None;
    QString reason; // a short Spanish phrase naming what went wrong, empty on success
};

// path is the file system's own bytes, as the command line or a folder walk gives them.
PictureFile readPictureFile(const std::string& path, PictureRegion region = PictureRegion::Shown);
// The same for a file's bytes already in memory, read as the file would be.
PictureFile readPicture(const QByteArray& bytes, PictureRegion region = PictureRegion::Shown);

} // namespace velsaro
