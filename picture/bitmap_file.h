// Windows bitmaps: the checks that a file is whole, the corrections a few headers need before Qt decodes
// them, the rows and columns of the region read alone where the pixels are stored uncompressed, and
// run-length rows streamed into the region.
#pragma once

#include "picture/picture_file.h"

class QIODevice;

namespace velsaro::detail {

// The region of the bitmap the device holds; fitted, the whole picture is read a band of rows at a time.
PictureFile readBitmap(QIODevice& device, PictureRegion region);

} // namespace velsaro::detail
