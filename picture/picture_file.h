// Reading a picture file the way the program does: Windows bitmap, JPEG or GIF, recognised by content.
#pragma once

#include <QImage>
#include <QString>

namespace velsaro {

enum class PictureFileError {
    None,
    Missing,     // no such file
    Unreadable,  // exists but cannot be opened or read (a directory, no permission, ...)
    NotAPicture, // empty, another format, or a BMP, JPEG or GIF that does not decode
    TooLarge,    // decoding would need more than maxDecodedBytes
};

// Largest decoded picture accepted, in bytes of 32-bit pixels.
inline constexpr qint64 maxDecodedBytes = 256LL * 1024 * 1024;

struct PictureFile {
    QImage image; // null unless error is None
    PictureFileError error = PictureFileError::None;
    QString reason; // a short Spanish phrase naming what went wrong, empty on success
};

PictureFile readPictureFile(const QString& path);

} // namespace velsaro
