#include "picture/gif_file.h"

#include "picture/area_fit.h"
#include "picture/format_reading.h"

#include <QIODevice>

#include <algorithm>
#include <cstdint>

namespace velsaro::detail {

namespace {

constexpr qint64 screenDescriptorEnd = 13; // the signature, then the logical screen descriptor
constexpr int globalTableFlag = 0x80;

qint64 colourTableBytes(int flags)
{
    return (flags & 0x80) ? 3 * (qint64(2) << (flags & 7)) : 0;
}

// What the walk to the end of the first frame finds: only that frame is shown.
struct GifLayout {
    bool isFirstFrameWhole = false;
    QSize screen;                // the picture's size as Qt's decoder makes it
    qint64 globalTableBytes = 0; // after the screen descriptor
    bool hasLocalTable = false;  // the first frame's own colours
};

// Passes a chain of data blocks; false if the file ends before its empty closing block.
bool skipBlocks(ByteStream& stream)
{
    for (;;) {
        const int length = stream.next();
        if (length <= 0)
            return length == 0;
        stream.skip(length);
    }
}

int littleEndian16(const char* bytes)
{
    return std::uint8_t(bytes[0]) | std::uint8_t(bytes[1]) << 8;
}

// The first frame's descriptor; Qt takes the frame's far corner for a screen of no size.
void readFrame(ByteStream& stream, GifLayout& layout)
{
    char descriptor[9];
    if (stream.read(descriptor, 9) != 9)
        return;
    const int flags = std::uint8_t(descriptor[8]);
    layout.hasLocalTable = (flags & 0x80) != 0;
    if (layout.screen.width() == 0)
        layout.screen.setWidth(littleEndian16(descriptor) + littleEndian16(descriptor + 4));
    if (layout.screen.height() == 0)
        layout.screen.setHeight(littleEndian16(descriptor + 2) + littleEndian16(descriptor + 6));
    stream.skip(colourTableBytes(flags) + 1); // the table, then the code size
    layout.isFirstFrameWhole = skipBlocks(stream);
}

// Reads the blocks up to the first frame's last, and no further: bytes after it cost nothing.
GifLayout gifLayout(QIODevice& device)
{
    GifLayout layout;
    ByteStream stream(device, 0);
    char head[screenDescriptorEnd];
    if (stream.read(head, screenDescriptorEnd) != screenDescriptorEnd)
        return layout;
    layout.screen = QSize(littleEndian16(head + 6), littleEndian16(head + 8));
    layout.globalTableBytes = colourTableBytes(std::uint8_t(head[10]));
    stream.skip(layout.globalTableBytes);
    for (;;) {
        const int blockType = stream.next();
        if (blockType == 0x2C) {
            readFrame(stream, layout);
            return layout;
        }
        if (blockType != 0x21) // trailer before any frame, not a block, or the file's end
            return layout;
        stream.next(); // the extension's label, then its data blocks
        if (!skipBlocks(stream))
            return layout;
    }
}

// The file as Qt's decoder reads it, less its global colour table. Around a first frame that brings its
// own colours, Qt fills the screen with the background colour looked up in that frame's table before
// it has read the table, so with whatever the memory held; with no global table there is no
// background colour, and the pixels around the frame stay unset like those of a frame cut short.
class WithoutGlobalTable : public QIODevice {
public:
    WithoutGlobalTable(QIODevice& file, qint64 tableBytes) : file_(file), tableBytes_(tableBytes)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return file_.size() - tableBytes_; }

protected:
    qint64 readData(char* into, qint64 length) override
    {
        const qint64 at = pos();
        if (at >= screenDescriptorEnd)
            return readAt(file_, at + tableBytes_, into, length);
        const qint64 read = readAt(file_, at, into, qMin(length, screenDescriptorEnd - at));
        if (at <= 10 && at + read > 10)
            into[10 - at] = char(into[10 - at] & ~globalTableFlag);
        return read;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& file_;
    qint64 tableBytes_;
};

QImage firstFrame(QIODevice& device, const GifLayout& layout)
{
    if (layout.hasLocalTable && layout.globalTableBytes > 0) {
        WithoutGlobalTable withoutTable(device, layout.globalTableBytes);
        return QImageReader(&withoutTable, "gif").read();
    }
    if (!device.seek(0))
        return {};
    return QImageReader(&device, "gif").read();
}

// Qt's decoder starts from memory set to zero and writes opaque colours, or one of alpha 0 for an index
// its table lacks: a pixel of alpha 0 was given no colour of the picture. Each becomes transparent
// black, so that it shows the background and its bytes never depend on the decode.
QImage withUnsetPixelsTransparent(const QImage& decoded)
{
    const auto isUnset = [](QRgb pixel) { return qAlpha(pixel) == 0; };
    bool hasUnset = false;
    for (int y = 0; y < decoded.height() && !hasUnset; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(decoded.constScanLine(y));
        hasUnset = std::any_of(line, line + decoded.width(), isUnset);
    }
    if (!hasUnset)
        return decoded;
    QImage image = decoded.copy();
    for (int y = 0; y < image.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::replace_if(line, line + image.width(), isUnset, QRgb(0));
    }
    image.reinterpretAsFormat(QImage::Format_ARGB32);
    return image;
}

} // namespace

PictureFile readGif(QIODevice& device, PictureRegion region)
{
    const GifLayout layout = gifLayout(device);
    if (!layout.isFirstFrameWhole)
        return notAPicture();
    // Qt decodes the first frame over the whole logical screen, 4 bytes a pixel.
    if (qint64(layout.screen.width()) * layout.screen.height() * 4 > maxDecodingBytes)
        return tooLarge();
    const QImage whole = firstFrame(device, layout);
    if (region == PictureRegion::Fitted && !whole.isNull())
        return decoded(fittedWhole(withUnsetPixelsTransparent(whole)), sizeOf(whole.size()));
    return decoded(withUnsetPixelsTransparent(cut(whole, shownSize)), sizeOf(whole.size()));
}

} // namespace velsaro::detail
