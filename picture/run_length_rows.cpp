#include "picture/run_length_rows.h"

#include "picture/format_reading.h"

namespace velsaro::detail {

namespace {

// Qt decodes into an 8-bit picture whose rows, top first, lie bytesPerLine apart in one block of
// memory, and bounds every run by the end of the first row stored (the bottom one), not by the end of
// its own row: a run past a row's end goes on in the next row down. The canvas keeps that addressing,
// so every pixel lands where Qt's lands, and keeps only the pixels of the region.
class RunLengthCanvas {
public:
    RunLengthCanvas(const RunLengthLayout& layout, QImage& region)
        : layout_(layout), region_(region), bytesPerLine_((layout.width + 3) / 4 * 4),
          end_((layout.height - 1) * bytesPerLine_ + layout.width)
    {
    }

    // Row y of the file (bottom first), column x.
    void moveTo(qint64 x, qint64 y) { at_ = (layout_.height - 1 - y) * bytesPerLine_ + x; }
    // How many of count pixels fit before the bound.
    int fitting(int count) const { return int(qMin<qint64>(count, end_ - at_)); }
    void put(int index)
    {
        const qint64 row = at_ / bytesPerLine_;
        const qint64 column = at_ % bytesPerLine_;
        const qint64 shownRow = layout_.isTopDown ? layout_.height - 1 - row : row;
        if (shownRow < region_.height() && column < region_.width())
            reinterpret_cast<QRgb*>(region_.scanLine(int(shownRow)))[column] = colour(index);
        ++at_;
    }

private:
    // An index past the palette shows black, as Qt converts it.
    QRgb colour(int index) const
    {
        return index < layout_.palette.size() ? layout_.palette[index] | 0xFF000000u : qRgb(0, 0, 0);
    }

    const RunLengthLayout& layout_;
    QImage& region_;
    qint64 bytesPerLine_;
    qint64 end_;
    qint64 at_ = 0;
};

// Where the stream stands in the picture: x may pass the row's width, as in Qt's decoder.
struct RunPosition {
    qint64 x = 0;
    qint64 y = 0;
};

// A run of count pixels of one byte: 8-bit pictures repeat the index, 4-bit ones alternate its nibbles.
bool putRun(ByteStream& stream, int bitsPerPixel, int count, RunLengthCanvas& canvas)
{
    const int value = stream.next();
    if (value < 0)
        return false;
    for (int i = 0; i < count; ++i)
        canvas.put(bitsPerPixel == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F));
    return true;
}

// count literal pixels, padded to 16 bits in the stream.
bool putLiteral(ByteStream& stream, int bitsPerPixel, int count, RunLengthCanvas& canvas)
{
    const int bytes = bitsPerPixel == 8 ? count : (count + 1) / 2;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (bitsPerPixel == 8 || i % 2 == 0) {
            value = stream.next();
            if (value < 0)
                return false;
        }
        canvas.put(bitsPerPixel == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F));
    }
    if (bytes % 2 == 1)
        stream.next();
    return true;
}

enum class Step { Go, End, Cut };

// One escape code after a 0 count: end of line, end of bitmap, delta or a literal run.
Step escape(ByteStream& stream, const RunLengthLayout& layout, RunPosition& position, RunLengthCanvas& canvas)
{
    const int code = stream.next();
    if (code < 0)
        return Step::Cut;
    if (code == 1)
        return Step::End;
    if (code == 0) {
        position = {0, position.y + 1};
    } else if (code == 2) {
        const int dx = stream.next();
        const int dy = stream.next();
        if (dy < 0)
            return Step::Cut;
        // A jump past the picture stops at its last column or row.
        position = {qMin(position.x + dx, layout.width - 1), qMin(position.y + dy, layout.height - 1)};
    } else {
        const int count = canvas.fitting(code);
        if (!putLiteral(stream, layout.bitsPerPixel, count, canvas))
            return Step::Cut;
        position.x += count;
        return Step::Go;
    }
    canvas.moveTo(position.x, position.y);
    return Step::Go;
}

} // namespace

bool decodeRunLengthRows(ByteStream& stream, const RunLengthLayout& layout, QImage& region)
{
    RunLengthCanvas canvas(layout, region);
    RunPosition position;
    canvas.moveTo(0, 0);
    while (position.y < layout.height) {
        const int count = stream.next();
        if (count < 0)
            return false;
        if (count == 0) {
            const Step step = escape(stream, layout, position, canvas);
            if (step != Step::Go)
                return step == Step::End;
            continue;
        }
        const int fitting = canvas.fitting(count);
        if (!putRun(stream, layout.bitsPerPixel, fitting, canvas))
            return false;
        position.x += fitting;
    }
    return true;
}

} // namespace velsaro::detail
