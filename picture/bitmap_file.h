// Windows bitmaps: the checks that a file is whole, the corrections a few headers need before Qt decodes
// them, and the rows and columns of the region read alone where the pixels are stored uncompressed.
#pragma once

#include "picture/picture_file.h"

class QIODevice;

namespace velsaro::detail {

// The shown region of the bitmap the device holds; it is read from the start, a row at a time.
PictureFile readBitmap(QIODevice& device);

} // namespace velsaro::detail
