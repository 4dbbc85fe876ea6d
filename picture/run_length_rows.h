// Run-length encoded bitmap rows (BI_RLE8, BI_RLE4) decoded from the file as a stream into the shown
// region alone, pixel for pixel as Qt's decoder writes them; pixels the stream leaves unset (an early
// end of the bitmap, a row ended or jumped over by a delta) are transparent, shown as the background.
#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

namespace velsaro::detail {

class ByteStream;

struct RunLengthLayout {
    qint64 width = 0;
    qint64 height = 0;
    bool isTopDown = false; // the rows decoded as bottom-up ones, then turned over, as Qt does
    int bitsPerPixel = 8; // 8 or 4
    QList<QRgb> palette;
};

// Decodes the rows that stream holds into region, an ARGB32 image of the region's size filled with
// transparent black. False when the stream ends before its end-of-bitmap code or its last row.
bool decodeRunLengthRows(ByteStream& stream, const RunLengthLayout& layout, QImage& region);

} // namespace velsaro::detail
