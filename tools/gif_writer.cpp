// The LZW stream holds only literal codes and a clear code every few hundred of them, so every code
// stays 9 bits wide: larger files than a real encoder makes, but a stream simple enough to be obviously
// right.
#include "tools/gif_writer.h"

#include <cstdint>

namespace velsaro {

namespace {

constexpr int minimumCodeSize = 8; // palette indices are bytes
constexpr int clearCode = 1 << minimumCodeSize;
constexpr int endCode = clearCode + 1;
constexpr int codeWidth = minimumCodeSize + 1;
// After a clear code the decoder adds one table entry per literal but the first; at 512 entries it would
// widen its codes to 10 bits. 250 literals keep the table below 508 entries.
constexpr int literalsPerClear = 250;
constexpr int frameDelayHundredths = 10;

void appendU16(QByteArray& bytes, int value)
{
    bytes.append(char(value & 0xFF));
    bytes.append(char((value >> 8) & 0xFF));
}

// Packs codes least significant bit first, as GIF's LZW stream does.
class CodeWriter {
public:
    void write(int code)
    {
        bits_ |= std::uint32_t(code) << bitCount_;
        bitCount_ += codeWidth;
        while (bitCount_ >= 8) {
            bytes_.append(char(bits_ & 0xFF));
            bits_ >>= 8;
            bitCount_ -= 8;
        }
    }

    QByteArray finish()
    {
        if (bitCount_ > 0)
            bytes_.append(char(bits_ & 0xFF));
        bits_ = 0;
        bitCount_ = 0;
        return bytes_;
    }

private:
    QByteArray bytes_;
    std::uint32_t bits_ = 0;
    int bitCount_ = 0;
};

QByteArray lzwCodes(const QImage& frame)
{
    CodeWriter writer;
    int literalsSinceClear = literalsPerClear;
    for (int y = 0; y < frame.height(); ++y) {
        const uchar* row = frame.constScanLine(y);
        for (int x = 0; x < frame.width(); ++x) {
            if (literalsSinceClear == literalsPerClear) {
                writer.write(clearCode);
                literalsSinceClear = 0;
            }
            writer.write(row[x]);
            ++literalsSinceClear;
        }
    }
    writer.write(endCode);
    return writer.finish();
}

// Image data is a chain of blocks of at most 255 bytes, each preceded by its length, ended by an
// empty block.
void appendSubBlocks(QByteArray& bytes, const QByteArray& data)
{
    for (qsizetype start = 0; start < data.size(); start += 255) {
        const QByteArray block = data.mid(start, 255);
        bytes.append(char(block.size()));
        bytes.append(block);
    }
    bytes.append('\0');
}

// Always the full 256 entries, so that any byte is a valid index.
void appendColourTable(QByteArray& bytes, const QList<QRgb>& palette)
{
    for (int i = 0; i < 256; ++i) {
        const QRgb colour = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        bytes.append(char(qRed(colour)));
        bytes.append(char(qGreen(colour)));
        bytes.append(char(qBlue(colour)));
    }
}

void appendScreen(QByteArray& bytes, const QImage& first)
{
    bytes.append("GIF89a");
    appendU16(bytes, first.width());
    appendU16(bytes, first.height());
    bytes.append(char(0xF7)); // global table of 256 entries, 8 bits of colour resolution
    bytes.append('\0');       // background colour index
    bytes.append('\0');       // square pixels
    appendColourTable(bytes, first.colorTable());
}

void appendLoopForever(QByteArray& bytes)
{
    bytes.append("\x21\xFF\x0B", 3);
    bytes.append("NETSCAPE2.0");
    bytes.append("\x03\x01\x00\x00\x00", 5);
}

void appendGraphicControl(QByteArray& bytes, std::optional<int> transparentIndex, bool animated)
{
    bytes.append("\x21\xF9\x04", 3);
    const int disposeToBackground = animated ? 2 << 2 : 0;
    bytes.append(char(disposeToBackground | (transparentIndex ? 1 : 0)));
    appendU16(bytes, animated ? frameDelayHundredths : 0);
    bytes.append(char(transparentIndex.value_or(0)));
    bytes.append('\0');
}

void appendFrame(QByteArray& bytes, const QImage& frame)
{
    bytes.append(',');
    appendU16(bytes, 0);
    appendU16(bytes, 0);
    appendU16(bytes, frame.width());
    appendU16(bytes, frame.height());
    bytes.append('\0'); // no local table, not interlaced
    bytes.append(char(minimumCodeSize));
    appendSubBlocks(bytes, lzwCodes(frame));
}

} // namespace

QByteArray gif(const std::vector<QImage>& frames, std::optional<int> transparentIndex)
{
    QByteArray bytes;
    if (frames.empty())
        return bytes;
    const bool animated = frames.size() > 1;
    appendScreen(bytes, frames.front());
    if (animated)
        appendLoopForever(bytes);
    for (const QImage& frame : frames) {
        if (transparentIndex || animated)
            appendGraphicControl(bytes, transparentIndex, animated);
        appendFrame(bytes, frame.convertToFormat(QImage::Format_Indexed8, frames.front().colorTable()));
    }
    bytes.append(';');
    return bytes;
}

} // namespace velsaro
