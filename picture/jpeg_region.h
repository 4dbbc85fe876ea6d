// JPEG through libjpeg-turbo directly: what its headers say about the memory a decode holds, and a
// decode of only the rows and columns the key reads.
#pragma once

#include <QByteArray>
#include <QImage>

namespace velsaro {

struct JpegLayout {
    bool isReadable = false;   // the headers up to the first scan parse
    int width = 0;
    int height = 0;
    bool isSingleScan = false; // one scan of every component: decodable row by row
    bool isColourOrGrey = false; // YCbCr, RGB or grey, not CMYK or YCCK
    // Whole-picture coefficient buffers that libjpeg keeps for a progressive or multi-scan file,
    // whatever part of it is read; 0 for a single scan.
    qint64 bufferedBytes = 0;
};

JpegLayout jpegLayout(const QByteArray& bytes);

// Rows firstRow..endRow - 1, columns 0..endColumn - 1 of a single-scan colour or grey JPEG, decoded
// with the settings of Qt's own reader (accurate integer DCT, fancy upsampling), so every pixel is
// the pixel of a whole decode. The image is endColumn x endRow or the picture's size if smaller,
// Format_RGB32 or Format_Grayscale8 as Qt gives them; its rows above firstRow are black. Null when
// the file is not of that kind or libjpeg stops with an error.
QImage readJpegRegion(const QByteArray& bytes, int endColumn, int firstRow, int endRow);

} // namespace velsaro
