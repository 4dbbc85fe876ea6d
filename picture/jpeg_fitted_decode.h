// A JPEG decoded for --fit: at libjpeg's smallest reduced DCT scale that still gives at least the
// fitted size, its rows averaged into the fitted picture as they come.
#pragma once

#include <QImage>
#include <QSize>

#include <csetjmp>
#include <cstdio> // jpeglib.h uses FILE without including it

#include <jpeglib.h>

namespace velsaro::detail {

// info has read its headers, and its error manager jumps to jump. The fitted picture, or null when
// its colours are not YCbCr, RGB or grey or libjpeg stops with an error; the decode ends info's work.
QImage decodeFitted(jpeg_decompress_struct& info, std::jmp_buf& jump, QSize fitted);

} // namespace velsaro::detail
