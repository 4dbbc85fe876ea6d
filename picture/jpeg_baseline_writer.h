// A progressive JPEG's pixels from only the coefficients a decode reads, through libjpeg itself: the
// coefficients kept (jpeg_dc_scans.h: the DC of every block and some AC of 4:2:0 chroma, for a decode at
// 1/8 scale; jpeg_region_scans.h: every coefficient of a top-left region's blocks) written as a
// baseline JPEG in memory whose blocks carry them and nothing else, with the file's frame and
// quantisation tables. libjpeg's decode reads nothing else of those blocks, so that file decodes to the
// pixels of the whole file's decode, a few rows at a time instead of over the whole picture's
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

// The same for the top-left region of mcusWide x mcusHigh MCUs (or the whole frame where smaller): a
// baseline file of that region's size whose blocks are the region's (readRegionScans); empty likewise.
QByteArray regionOnlyJpeg(QIODevice& device, const jpeg_decompress_struct& info, int mcusWide, int mcusHigh);

} // namespace velsaro::detail
