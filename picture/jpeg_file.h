// JPEG: the headers read once by libjpeg, and from them the decision how to read the region: the key's
// rows and columns alone through libjpeg, or the rows up to the region's last through Qt's reader.
#pragma once

#include "picture/picture_file.h"

class QIODevice;

namespace velsaro::detail {

// The region of the JPEG the device holds, read as a stream up to its end-of-image marker.
PictureFile readJpeg(QIODevice& device, PictureRegion region);

} // namespace velsaro::detail
