// A progressive JPEG's picture at 1/8 scale from only the coefficients that scale reads, through libjpeg
// itself: the coefficients kept (jpeg_dc_scans.h, the DC of every block and some AC of 4:2:0 chroma)
// written as a baseline JPEG in memory whose blocks carry them and nothing else, with the file's frame
// and quantisation tables. libjpeg's 1/8 decode reads nothing else of a block, so that file decodes to
// the pixels of the whole file's decode, a few rows at a time instead of over the whole picture's
// coefficients.
#pragma once

#include <QByteArray>

#include <cstdio> // jpeglib.h uses FILE without including it

#include <jpeglib.h>

class QIODevice;

namespace velsaro::detail {

// info has read the device's headers: a progressive Huffman-coded file of 8-bit samples. The baseline
// file, or empty where the scans cannot stand for the whole decode (readDcScans), the frame has two
// components of one id, or a DC difference or AC value is beyond the baseline file's tables.
QByteArray dcOnlyJpeg(QIODevice& device, const jpeg_decompress_struct& info);

} // namespace velsaro::detail
