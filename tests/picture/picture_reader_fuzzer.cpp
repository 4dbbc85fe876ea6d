// libFuzzer target: any bytes through the picture reader, for the region the program shows and the one
// the tool keys. Built and run by scripts/fuzz.sh under AddressSanitizer and UndefinedBehaviorSanitizer.
#include "picture/picture_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const velsaro::PictureRegion region : {velsaro::PictureRegion::Shown, velsaro::PictureRegion::Keyed}) {
        const velsaro::PictureFile file = velsaro::readPicture(bytes, region);
        // A picture read is at most the drawing area; a refusal carries no picture and says why.
        const bool read = file.error == velsaro::PictureFileError::None;
        if (read != !file.image.isNull() || read != file.reason.isEmpty() ||
            file.image.width() > velsaro::drawingAreaWidth || file.image.height() > velsaro::drawingAreaHeight)
            std::abort();
    }
    return 0;
}
