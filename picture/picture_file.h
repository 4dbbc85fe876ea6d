// Reading a picture file the way the program does: Windows bitmap, JPEG or GIF, recognised by content,
// and only the part of it that is ever shown or keyed.
#pragma once

#include "engine/geometry.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace velsaro {

enum class PictureFileError {
    None,
    Missing,     // no such file
    Unreadable,  // exists but cannot be opened or read (a directory, no permission, ...)
    NotAPicture, // empty, another format, or a BMP, JPEG or GIF that is cut or does not decode
    TooLarge,    // even the region would need more than maxDecodingBytes to decode
};

// Most memory a picture's decoding may hold besides the region it returns: a GIF's whole frame, a
// progressive JPEG's coefficients, a run-length bitmap's pixels, and the file itself where it is read
// whole (JPEG, GIF and run-length bitmaps; of other bitmaps only the region's rows are read).
// Pictures of any size whose region decodes within it are read.
inline constexpr qint64 maxDecodingBytes = 256LL * 1024 * 1024;

// What is read of a picture, always from its top-left corner.
enum class PictureRegion {
    // What the drawing area shows: at most drawingAreaWidth x drawingAreaHeight pixels.
    Shown,
    // At least the pixels the key reads (columns 0..331 of rows keyRegionTop up to keyRegionHeight - 1),
    // each as in the shown region. Other pixels may differ: rows above are black, and the last of the
    // keyRegionWidth columns decoded are there only so that column 331 is upsampled as in a whole decode.
    Keyed,
};

// The largest mask reaches x = 331 and y = 388; 16 more columns keep the last one as a whole decode
// makes it (fancy upsampling reads one neighbour to the right, one MCU away at most).
inline constexpr int keyRegionWidth = 348;
inline constexpr int keyRegionTop = 119;
inline constexpr int keyRegionHeight = 389;

struct PictureFile {
    QImage image; // the region; null unless error is None
    QSize size;   // the whole picture's, as a whole decode would give it
    PictureFileError error = PictureFileError::None;
    QString reason; // a short Spanish phrase naming what went wrong, empty on success
};

PictureFile readPictureFile(const QString& path, PictureRegion region = PictureRegion::Shown);
// The same for a file's bytes already in memory, read as the file would be.
PictureFile readPicture(const QByteArray& bytes, PictureRegion region = PictureRegion::Shown);

} // namespace velsaro
