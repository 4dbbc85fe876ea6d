// GIF: the first frame, decoded whole over the logical screen, then cut to the shown region.
#pragma once

#include "picture/picture_file.h"

class QIODevice;

namespace velsaro::detail {

// The shown region of the GIF the device holds, or its whole first frame fitted, read as a stream up to the end of its first frame.
PictureFile readGif(QIODevice& device, PictureRegion region);

} // namespace velsaro::detail
