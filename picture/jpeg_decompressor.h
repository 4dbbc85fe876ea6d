// A JPEG through libjpeg-turbo directly: its headers read once, what they say about its size and the
// memory a whole decode holds, and a decode of only the top-left region's rows and columns.
#pragma once

#include <QImage>
#include <QSize>

#include <memory>

class QIODevice;

namespace velsaro::detail {

class JpegDecompressor {
public:
    // Reads the device's headers up to the first scan, from its start; the device must outlive the
    // object, which reads it as the decode goes.
    explicit JpegDecompressor(QIODevice& device);
    ~JpegDecompressor();
    JpegDecompressor(const JpegDecompressor&) = delete;
    JpegDecompressor& operator=(const JpegDecompressor&) = delete;

    // Whether the headers parse; nothing below means anything otherwise.
    bool isHeaderRead() const { return isHeaderRead_; }
    // The whole picture's, as Qt's reader reports it (libjpeg's, unscaled).
    QSize size() const { return size_; }
    // A YCbCr, RGB or grey picture (not CMYK or YCCK), whose region libjpeg decodes alone: a single
    // scan row by row; progressive or other multi-scan files from each scan's leading part, the
    // coefficients of the region's rows alone in memory.
    bool isRegionDecodable() const { return isRegionDecodable_; }
    // Whole-picture coefficient buffers that a whole decode of a progressive or multi-scan file keeps,
    // as Qt's reader does whatever part of it is read; 0 for a single scan.
    qint64 bufferedBytes() const { return bufferedBytes_; }

    // Rows firstRow..endRow - 1, columns 0..endColumn - 1, decoded with the settings of Qt's own reader
    // (accurate integer DCT, fancy upsampling), so every pixel is the pixel of a whole decode. The image
    // is endColumn x endRow or the picture's size if smaller, Format_RGB32 or Format_Grayscale8 as Qt
    // gives them; its rows above firstRow are black. Null when the region is not decodable, libjpeg
    // stops with an error, or a multi-scan file's data is corrupt (libjpeg warns). At most once per
    // object: the decode ends the decompressor's work.
    QImage decodeRegion(int endColumn, int firstRow, int endRow);
    // The same region from only its coefficients, of a progressive Huffman-coded file whose scans let
    // them stand for the whole decode (jpeg_region_scans.h), through a baseline file that carries them
    // (jpeg_baseline_writer.h); null otherwise. It leaves libjpeg as it found it: decodeRegion tries it
    // first and decodes with libjpeg's own reading of the scans where it gives nothing.
    QImage decodeRegionFromScans(int endColumn, int firstRow, int endRow);
    // The whole picture scaled to fitted (jpeg_fitted_decode.h) by libjpeg's decode of all of the file,
    // or null; instead of decodeRegion.
    QImage decodeFittedWhole(QSize fitted);
    // The same pixels from only the coefficients a 1/8 scale decode reads of a progressive file
    // (jpeg_baseline_writer.h), where the decode is at that scale and nothing of the file keeps them from
    // standing for the whole decode; null otherwise. It leaves libjpeg as it found it, so that
    // decodeFittedWhole may follow.
    QImage decodeFittedFromDc(QSize fitted);

private:
    // For a multi-scan file, the headers read again with the frame's height lowered to the rows that
    // the region up to endRow needs; false where that cannot be done.
    bool isFrameCut(int endRow);

    struct Libjpeg;
    std::unique_ptr<Libjpeg> libjpeg_;
    bool isHeaderRead_ = false;
    QSize size_;
    bool isRegionDecodable_ = false;
    qint64 bufferedBytes_ = 0;
};

} // namespace velsaro::detail
