// What the readers of a progressive Huffman-coded JPEG's scans share (jpeg_dc_scans.h reads the
// coefficients a 1/8 scale decode needs, jpeg_region_scans.h those of a top-left region): the frame's
// block layout, the tables and bits of the entropy-coded data, and the walk through the file's segments
// that checks each scan as libjpeg checks it before its data is decoded.
#pragma once

#include "picture/format_reading.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QIODevice;

namespace velsaro::detail {

struct ComponentLayout {
    int id = 0;
    int h = 1; // sampling factors
    int v = 1;
    int blocksWide = 0; // the blocks that hold samples: what a scan of this component alone codes
    int blocksHigh = 0;
    int storedWide = 0; // rounded up to whole MCUs: what an interleaved scan codes
    int storedHigh = 0;
};

// A frame's size and its largest sampling factors, which make its MCUs.
struct FrameSize {
    int width = 0;
    int height = 0;
    int maxH = 1;
    int maxV = 1;

    int mcusWide() const { return (width + 8 * maxH - 1) / (8 * maxH); }
    int mcusHigh() const { return (height + 8 * maxV - 1) / (8 * maxV); }
};

struct FrameLayout : FrameSize {
    std::vector<ComponentLayout> components; // in the frame header's order
};

// The frame of width x height and these components (id and sampling factors each), with their block
// counts worked out as libjpeg works them out.
FrameLayout frameLayout(int width, int height, std::vector<ComponentLayout> components);

inline constexpr int lookaheadBits = 9; // codes this long or shorter are decoded by one table look-up

// A Huffman table as a DHT segment defines it, and its canonical codes as libjpeg derives them.
struct HuffmanTable {
    bool isDefined = false;
    std::array<int, 17> counts{}; // of the codes of each length 1..16
    std::array<std::uint8_t, 256> symbols{};
    std::array<std::int32_t, 17> maxCode{}; // the largest code of each length, -1 for none
    std::array<std::int32_t, 17> valueOffset{};
    // By the next lookaheadBits bits: the length of the code they begin with, shifted up by 8, and its
    // symbol; 0 where the code is longer.
    std::array<std::uint16_t, 1 << lookaheadBits> shortCodes{};
};

// The bits of a scan's entropy-coded data read ahead, most significant first, and what is read of them;
// Source::fill() reads more, up to 57 or the data's end.
template <typename Source>
class HeldBitsOf {
public:
    // The next bit; -1 where the data ends first.
    int bit() { return bits(1); }
    // The next count (0..25) bits, most significant first; -1 where the data ends first.
    int bits(int count)
    {
        if (count == 0)
            return 0;
        hold(count);
        if (count_ < count)
            return -1;
        const int value = int(buffer_ >> (64 - count));
        buffer_ <<= count;
        count_ -= count;
        return value;
    }
    // The next count (1..25) bits without passing them; zeros past the data.
    std::uint32_t peek(int count)
    {
        hold(count);
        return std::uint32_t(buffer_ >> (64 - count));
    }
    // Passes count (0..25) bits peeked; false where the data ends first.
    bool pass(int count)
    {
        if (count_ < count)
            return false;
        buffer_ <<= count;
        count_ -= count;
        return true;
    }
    // Passes count (0..64) bits; false where the data ends first.
    bool skip(int count)
    {
        if (count > 32) {
            if (!skip(32))
                return false;
            count -= 32;
        }
        hold(count);
        return pass(count);
    }

protected:
    void hold(int count)
    {
        if (count_ < count)
            static_cast<Source*>(this)->fill();
    }

    std::uint64_t buffer_ = 0;
    int count_ = 0;
};

// The entropy-coded data of a scan, read ahead up to 64 bits at a time but never past the marker that
// ends it: data that ends before a block does (at a marker or the file's end) is told, not read as zeros.
class BitReader : public HeldBitsOf<BitReader> {
public:
    explicit BitReader(ByteStream& stream) : stream_(stream) {}

    // A scan's data starts: nothing read ahead, no marker met.
    void start();
    // The bits left of the last byte dropped, the restart marker of this number passed; false when
    // anything else comes first.
    bool passRestart(int number);
    // The marker the data ended at, if read: its code, or -1 for the file's end; then forgotten.
    std::optional<int> takeMarker();

private:
    friend class HeldBitsOf<BitReader>;
    friend class HeldBits;
    void fill();

    ByteStream& stream_;
    std::optional<int> marker_;
};

// A reader's bits taken for a run of blocks, so that a decoder keeps them in registers instead of
// storing them after every symbol, and given back when it is done.
class HeldBits : public HeldBitsOf<HeldBits> {
public:
    explicit HeldBits(BitReader& reader) : reader_(reader) { take(); }
    HeldBits(const HeldBits&) = delete;
    HeldBits& operator=(const HeldBits&) = delete;
    ~HeldBits() { giveBack(); }

private:
    friend class HeldBitsOf<HeldBits>;
    void take()
    {
        buffer_ = reader_.buffer_;
        count_ = reader_.count_;
    }
    void giveBack()
    {
        reader_.buffer_ = buffer_;
        reader_.count_ = count_;
    }
    void fill()
    {
        giveBack();
        reader_.fill();
        take();
    }

    BitReader& reader_;
};

// The next symbol of the table's codes; -1 where no code of up to 16 bits matches or the data ends.
template <typename Bits>
int decodeSymbol(Bits& reader, const HuffmanTable& table)
{
    const int entry = table.shortCodes[reader.peek(lookaheadBits)];
    if (entry != 0)
        return reader.pass(entry >> 8) ? entry & 0xFF : -1;
    const std::uint32_t ahead = reader.peek(16);
    for (int length = lookaheadBits + 1; length <= 16; ++length) {
        const std::int32_t code = std::int32_t(ahead >> (16 - length));
        if (code <= table.maxCode[length])
            return reader.pass(length) ? table.symbols[std::size_t(code + table.valueOffset[length])] : -1;
    }
    return -1;
}

// A value of size bits coded as its low bits: negative ones as value - 1.
inline int extended(int bits, int size)
{
    return size > 0 && bits < (1 << (size - 1)) ? bits - (1 << size) + 1 : bits;
}

// A coefficient as libjpeg holds it, in 16 bits.
inline bool isCoefficient(int value) { return value >= -32768 && value <= 32767; }

// The blocks of an end-of-band run, 2^sizeBits and that many more bits' worth; -1 where the data ends
// first.
template <typename Bits>
int bandRunLength(Bits& reader, int sizeBits)
{
    const int extra = reader.bits(sizeBits);
    return extra < 0 ? -1 : (1 << sizeBits) + extra;
}

struct ScanComponent {
    int index = 0; // in the frame
    int dcTable = 0;
    int acTable = 0;
};

struct Scan {
    std::vector<ScanComponent> components;
    int Ss = 0; // spectral selection, first and last coefficient in zigzag order
    int Se = 0;
    int Ah = 0; // successive approximation, previous and this scan's low bit
    int Al = 0;

    bool isDc() const { return Ss == 0; }
};

inline constexpr int tableSlots = 4; // of each class, as libjpeg keeps them

// Where the walk through the file stands: the tables defined so far and what each component's
// coefficients have received, as libjpeg records it (the low bit of the last scan of each coefficient
// in zigzag order, -1 before any).
struct ScanWalk {
    ScanWalk(QIODevice& device, FrameLayout layout);

    ByteStream stream;
    BitReader reader;
    FrameLayout frame;
    std::array<HuffmanTable, tableSlots> dcTables{};
    std::array<HuffmanTable, tableSlots> acTables{};
    int restartInterval = 0;
    bool isScanSeen = false;
    std::vector<std::array<int, 64>> coefficientBits;
};

// Walks the file from its start to its end-of-image marker: tables and restart intervals read, each scan's
// header checked, then its data given to decodeScan, which leaves the walk's reader where it stops. False
// where the file holds anything but plainly valid progressive Huffman scans up to that marker (a table
// libjpeg refuses, an inconsistent scan order, a quantisation table defined after the first scan, an
// unknown marker), where decodeScan fails, or where no scan comes.
bool walkScans(ScanWalk& walk, const std::function<bool(ScanWalk&, const Scan&)>& decodeScan);

// Every component's DC sent, and coefficients 1..9 of every component fully refined: libjpeg's decode
// then neither smooths blocks nor leaves a DC value 0.
bool isDecodedWithoutSmoothing(const ScanWalk& walk);

// The first bits of a block's band in an AC scan, as libjpeg decodes them: runs of zeros, then for each
// coefficient sent its zigzag place and size to take(k, size), which reads its value. Runs of blocks
// whose band is empty (end-of-band runs) cross blocks: bandsLeft counts those after this one. False
// where the data ends, a coefficient falls past the band, or take refuses one.
template <typename Bits, typename Take>
bool decodeFirstBand(Bits& reader, const HuffmanTable& table, const Scan& scan, int& bandsLeft, Take take)
{
    if (bandsLeft > 0) {
        --bandsLeft;
        return true;
    }
    for (int k = scan.Ss; k <= scan.Se; ++k) {
        const int symbol = decodeSymbol(reader, table);
        if (symbol < 0)
            return false;
        const int run = symbol >> 4;
        const int size = symbol & 15;
        if (size == 0 && run != 15) {
            bandsLeft = bandRunLength(reader, run) - 1; // this block's counted
            return bandsLeft >= 0;
        }
        k += run; // after a run of 16 zeros, the loop's step passes the 16th
        if (size != 0 && (k > scan.Se || !take(k, size)))
            return false;
    }
    return true;
}

// What the next symbol of an AC refinement band says, as libjpeg reads it.
enum class RefinementSymbol {
    Unread,    // the data ended, or a new coefficient's size is not 1
    BandEnded, // an end-of-band run begins here: its blocks, this one included, went to bandsLeft
    Zeros,     // run zeros before a new coefficient of size 1, or 16 zeros where size is 0
};

template <typename Bits>
RefinementSymbol readRefinementSymbol(Bits& reader, const HuffmanTable& table, int& run, int& size, int& bandsLeft)
{
    const int symbol = decodeSymbol(reader, table);
    run = symbol >> 4;
    size = symbol & 15;
    if (symbol < 0 || size > 1)
        return RefinementSymbol::Unread;
    if (size == 1 || run == 15)
        return RefinementSymbol::Zeros;
    bandsLeft = bandRunLength(reader, run);
    return bandsLeft < 0 ? RefinementSymbol::Unread : RefinementSymbol::BandEnded;
}

inline constexpr int wholeScan = 1 << 30; // as rowsWanted or columnsWanted: all of them

// A scan's MCUs in raster order, no further than its first rowsWanted rows and, of the last of those,
// its first columnsWanted: the frame's MCUs for an interleaved scan, a component's blocks for one
// alone. Each restart interval ends at the next restart marker in turn; restart() is called after it,
// decodeMcu(column, row) for each MCU.
template <typename Restart, typename DecodeMcu>
bool decodeMcus(ScanWalk& walk, const Scan& scan, int rowsWanted, int columnsWanted, Restart restart,
                DecodeMcu decodeMcu)
{
    const bool isAlone = scan.components.size() == 1;
    const ComponentLayout& first = walk.frame.components[std::size_t(scan.components[0].index)];
    const int wide = isAlone ? first.blocksWide : walk.frame.mcusWide();
    const int high = std::min(rowsWanted, isAlone ? first.blocksHigh : walk.frame.mcusHigh());
    const int interval = walk.restartInterval;
    int untilRestart = interval; // MCUs left in this restart interval
    int restartNumber = 0;
    for (int row = 0; row < high; ++row) {
        const int columns = row == high - 1 ? std::min(wide, columnsWanted) : wide;
        for (int column = 0; column < columns; ++column, --untilRestart) {
            if (interval > 0 && untilRestart == 0) {
                if (!walk.reader.passRestart(restartNumber))
                    return false;
                restartNumber = (restartNumber + 1) & 7;
                untilRestart = interval;
                restart();
            }
            if (!decodeMcu(column, row))
                return false;
        }
    }
    return true;
}

} // namespace velsaro::detail
