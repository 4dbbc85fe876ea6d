// The key evaluated literally, as the formula reads: every term reads its pixel through the callback
// and computes both cosines afresh. Slow, obviously right, and the oracle the fast engine must match
// bit for bit.
#pragma once

#include "engine/key_engine.h"

namespace velsaro::testing {

LevelResult literalLevel(int n, const PixelReader& readPixel, double width = pictureAreaWidth,
                         double height = pictureAreaHeight);
Key literalKey(const PixelReader& readPixel, double width = pictureAreaWidth,
               double height = pictureAreaHeight);

} // namespace velsaro::testing
