#include "picture/gif_file.h"

#include "picture/format_reading.h"

#include <cstdint>

namespace velsaro::detail {

namespace {

qsizetype colourTableBytes(int flags)
{
    return (flags & 0x80) ? 3 * (qsizetype(2) << (flags & 7)) : 0;
}

// Skips a chain of data blocks; false if the file ends before its empty closing block.
bool skipBlocks(const QByteArray& bytes, qsizetype& at)
{
    while (at < bytes.size()) {
        const int length = std::uint8_t(bytes[at++]);
        if (length == 0)
            return true;
        at += length;
    }
    return false;
}

// Only the first frame is shown, so the file is whole enough when that frame's data is all there.
bool isFirstFrameWhole(const QByteArray& bytes)
{
    qsizetype at = 13 + colourTableBytes(std::uint8_t(bytes.size() > 10 ? bytes[10] : 0));
    while (at < bytes.size()) {
        const int blockType = std::uint8_t(bytes[at++]);
        if (blockType == 0x21) { // extension: label, then data blocks
            ++at;
            if (!skipBlocks(bytes, at))
                return false;
        } else if (blockType == 0x2C) { // image: descriptor, optional table, code size, data
            if (at + 9 > bytes.size())
                return false;
            at += 9 + colourTableBytes(std::uint8_t(bytes[at + 8])) + 1;
            return skipBlocks(bytes, at);
        } else {
            return false; // trailer before any image, or not a block at all
        }
    }
    return false;
}

QSize logicalScreenSize(const QByteArray& bytes)
{
    return QSize(int(littleEndian(bytes, 6, 2)), int(littleEndian(bytes, 8, 2)));
}

PictureFile decodeGif(const QByteArray& bytes)
{
    MemoryReader decoder(bytes, "gif");
    const QSize frameSize = decoder.reader().size();
    if (!frameSize.isValid() || !isFirstFrameWhole(bytes))
        return notAPicture();
    // Qt makes the picture the size of the logical screen, which the reader's size does not report.
    const QSize screen = logicalScreenSize(bytes).expandedTo(frameSize);
    if (qint64(screen.width()) * screen.height() * 4 > maxDecodingBytes)
        return tooLarge();
    const QImage whole = decoder.reader().read();
    return decoded(cut(whole, shownSize), whole.size());
}

} // namespace

PictureFile readGif(QIODevice& device)
{
    // Qt's decoder needs the stream; the bytes go as soon as the region is cut.
    return decodeWholeFile(device, decodeGif);
}

} // namespace velsaro::detail
