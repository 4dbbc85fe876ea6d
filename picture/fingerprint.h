// The fingerprint (likeness/near_copy.h) of what a key read, taken of a picture: the sign hash of the low
// frequencies of its 32 x 32 grey and its 16 x 16 grey levels with mean and contrast removed. Exact
// integer arithmetic but for one correctly rounded division per grey level.
#pragma once

#include "likeness/near_copy.h"

#include <QImage>

namespace velsaro {

// Of an opaque picture (what the drawing area shows of it, or the fitted picture).
Fingerprint fingerprintOf(const QImage& picture);

} // namespace velsaro
