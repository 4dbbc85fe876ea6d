#include "picture/jpeg_dc_scans.h"

#include "picture/format_reading.h"

#include <QIODevice>

#include <array>

namespace velsaro::detail {

namespace {

constexpr int tableSlots = 4;            // of each class, as libjpeg keeps them
constexpr int maxBlocksInMcu = 10;       // libjpeg refuses an interleaved scan of more
constexpr int smoothedCoefficients = 10; // DC and the AC coefficients 1..9 that block smoothing estimates

// A Huffman table as a DHT segment defines it, and its canonical codes as libjpeg derives them.
struct HuffmanTable {
    bool isDefined = false;
    std::array<int, 17> counts{}; // of the codes of each length 1..16
    std::array<std::uint8_t, 256> symbols{};
    std::array<std::int32_t, 17> maxCode{}; // the largest code of each length, -1 for none
    std::array<std::int32_t, 17> valueOffset{};
};

// As libjpeg checks a table when a scan is to use it: defined, codes that fit their lengths, and a DC
// table's symbols at most 15 bits of difference.
bool derive(HuffmanTable& table, bool isDc)
{
    if (!table.isDefined)
        return false;
    int symbol = 0;
    std::int32_t code = 0;
    for (int length = 1; length <= 16; ++length) {
        const int count = table.counts[length];
        table.valueOffset[length] = symbol - code;
        symbol += count;
        code += count;
        if (symbol > 256 || (count > 0 && code >= (std::int32_t(1) << length)))
            return false;
        table.maxCode[length] = count > 0 ? code - 1 : -1;
        code <<= 1;
    }
    for (int i = 0; isDc && i < symbol; ++i) {
        if (table.symbols[std::size_t(i)] > 15)
            return false;
    }
    return true;
}

// The entropy-coded data of a scan, a bit at a time, read no further than the bits decoded: a scan whose
// data ends before its last block (at a marker or the file's end) is told, not read as zeros.
class BitReader {
public:
    explicit BitReader(ByteStream& stream) : stream_(stream) {}

    // The next bit; -1 where the data ends first.
    int bit()
    {
        if (count_ == 0 && !fill())
            return -1;
        --count_;
        return (byte_ >> count_) & 1;
    }

    // The next count bits, most significant first; -1 where the data ends first.
    int bits(int count)
    {
        int value = 0;
        for (int i = 0; i < count; ++i) {
            const int next = bit();
            if (next < 0)
                return -1;
            value = value << 1 | next;
        }
        return value;
    }

    // The bits left of the last byte dropped, the restart marker of this number passed; false when the
    // next bytes are anything else.
    bool passRestart(int number)
    {
        count_ = 0;
        if (stream_.next() != 0xFF)
            return false;
        int code = stream_.next();
        while (code == 0xFF)
            code = stream_.next();
        return code == 0xD0 + number;
    }

private:
    // A data byte: 0xFF is stored as 0xFF 0x00, and any other code after 0xFF (fill passed) is a marker.
    bool fill()
    {
        int value = stream_.next();
        if (value == 0xFF) {
            do
                value = stream_.next();
            while (value == 0xFF);
            value = value == 0 ? 0xFF : -1;
        }
        if (value < 0)
            return false;
        byte_ = value;
        count_ = 8;
        return true;
    }

    ByteStream& stream_;
    int byte_ = 0;
    int count_ = 0; // bits of byte_ not yet read
};

// The next symbol of the table's codes; -1 where no code of up to 16 bits matches or the data ends.
int decodeSymbol(BitReader& reader, const HuffmanTable& table)
{
    std::int32_t code = reader.bit();
    for (int length = 1; code >= 0; ++length) {
        if (code <= table.maxCode[length])
            return table.symbols[std::size_t(code + table.valueOffset[length])];
        const int next = length < 16 ? reader.bit() : -1;
        code = next < 0 ? -1 : code << 1 | next;
    }
    return -1;
}

// A value of size bits coded as its low bits: negative ones as value - 1.
int extended(int bits, int size)
{
    return size > 0 && bits < (1 << (size - 1)) ? bits - (1 << size) + 1 : bits;
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

// Where the walk through the file stands: the tables defined so far and what each component's
// coefficients have received, as libjpeg records it (the low bit of the last scan of each coefficient
// in zigzag order, -1 before any).
struct Walk {
    Walk(QIODevice& device, DcFrame& frame) : stream(device, 2), frame(frame) // after start-of-image
    {
        std::array<int, 64> none;
        none.fill(-1);
        coefficientBits.assign(frame.components.size(), none);
    }

    ByteStream stream;
    DcFrame& frame;
    std::array<HuffmanTable, tableSlots> dcTables{};
    std::array<HuffmanTable, tableSlots> acTables{};
    int restartInterval = 0;
    bool isScanSeen = false;
    std::vector<std::array<int, 64>> coefficientBits;
};

// The code of the next marker as libjpeg finds it between segments: stray bytes, 0xFF fill and stuffed
// zeros passed, and restart markers and TEM, which begin no segment. -1 where the file ends.
int nextSegmentMarker(ByteStream& stream)
{
    for (;;) {
        if (!stream.skipPast(0xFF))
            return -1;
        int code = stream.next();
        while (code == 0xFF)
            code = stream.next();
        if (code < 0)
            return -1;
        if (code != 0x00 && code != 0x01 && (code < 0xD0 || code > 0xD7))
            return code;
    }
}

// A segment's bytes after its length field; empty where the length is short or the file ends first.
QByteArray segmentBody(ByteStream& stream, bool& isRead)
{
    const int high = stream.next();
    const int low = stream.next();
    const int length = low < 0 ? -1 : (high << 8 | low);
    isRead = length >= 2;
    if (!isRead)
        return {};
    QByteArray body(length - 2, Qt::Uninitialized);
    isRead = stream.read(body.data(), body.size()) == body.size();
    return body;
}

int byteAt(const QByteArray& bytes, qsizetype at) { return std::uint8_t(bytes[at]); }

// One or more tables, as libjpeg's DHT reader takes them.
bool readHuffmanTables(Walk& walk, const QByteArray& body)
{
    qsizetype at = 0;
    while (body.size() - at > 16) {
        const int index = byteAt(body, at);
        HuffmanTable table;
        int count = 0;
        for (int length = 1; length <= 16; ++length)
            count += table.counts[length] = byteAt(body, at + length);
        at += 17;
        if (count > 256 || count > body.size() - at)
            return false;
        for (int i = 0; i < count; ++i)
            table.symbols[std::size_t(i)] = std::uint8_t(byteAt(body, at + i));
        at += count;
        const int slot = index & ~0x10;
        if (slot >= tableSlots)
            return false;
        table.isDefined = true;
        ((index & 0x10) != 0 ? walk.acTables : walk.dcTables)[std::size_t(slot)] = table;
    }
    return at == body.size();
}

// A segment between scans, or before the first: tables and the restart interval read, markers libjpeg
// skips skipped; false for what libjpeg refuses there, for a quantisation table that may change the one a
// component is decoded with, and for arithmetic coding's conditioning tables.
bool readSegment(Walk& walk, int code)
{
    const bool isFrame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
    const bool isSkipped = (code >= 0xE0 && code <= 0xEF) || code == 0xFE ||
                           (!walk.isScanSeen && (isFrame || code == 0xDB));
    if (!isSkipped && code != 0xC4 && code != 0xDD)
        return false;
    bool isRead = false;
    const QByteArray body = segmentBody(walk.stream, isRead);
    if (!isRead)
        return false;
    if (code == 0xC4)
        return readHuffmanTables(walk, body);
    if (code == 0xDD) {
        if (body.size() != 2)
            return false;
        walk.restartInterval = byteAt(body, 0) << 8 | byteAt(body, 1);
    }
    return true;
}

// The frame's component of this id, which must come after the scan's components before it: the order
// every version of libjpeg takes. -1 for none.
int componentAfter(const DcFrame& frame, int id, const Scan& scan)
{
    const int first = scan.components.empty() ? 0 : scan.components.back().index + 1;
    for (int c = first; c < int(frame.components.size()); ++c) {
        if (frame.components[std::size_t(c)].id == id)
            return c;
    }
    return -1;
}

// The scan header as libjpeg reads it; false where it does not read it.
bool readScanHeader(Walk& walk, Scan& scan)
{
    bool isRead = false;
    const QByteArray body = segmentBody(walk.stream, isRead);
    const int count = isRead && !body.isEmpty() ? byteAt(body, 0) : 0;
    if (count < 1 || count > 4 || body.size() != 2 * count + 4)
        return false;
    for (int i = 0; i < count; ++i) {
        const int tables = byteAt(body, 2 + 2 * i);
        const int index = componentAfter(walk.frame, byteAt(body, 1 + 2 * i), scan);
        if (index < 0)
            return false;
        scan.components.push_back({index, tables >> 4, tables & 15});
    }
    scan.Ss = byteAt(body, 1 + 2 * count);
    scan.Se = byteAt(body, 2 + 2 * count);
    scan.Ah = byteAt(body, 3 + 2 * count) >> 4;
    scan.Al = byteAt(body, 3 + 2 * count) & 15;
    return true;
}

// libjpeg's checks of a progressive scan's parameters, which it refuses otherwise.
bool isValidProgression(const Scan& scan)
{
    const bool isBandValid = scan.isDc() ? scan.Se == 0 : scan.Ss <= scan.Se && scan.Se < 64;
    const bool isInterleavingValid = scan.isDc() || scan.components.size() == 1;
    return isBandValid && isInterleavingValid && (scan.Ah == 0 || scan.Al == scan.Ah - 1) && scan.Al <= 13;
}

// Each coefficient of the scan must follow the scan that left it, as libjpeg expects (it warns and
// decodes otherwise, which this reader does not follow); records the scan.
bool followsEarlierScans(Walk& walk, const Scan& scan)
{
    for (const ScanComponent& component : scan.components) {
        std::array<int, 64>& bits = walk.coefficientBits[std::size_t(component.index)];
        if (!scan.isDc() && bits[0] < 0)
            return false;
        for (int k = scan.Ss; k <= scan.Se; ++k) {
            if (scan.Ah != (bits[std::size_t(k)] < 0 ? 0 : bits[std::size_t(k)]))
                return false;
            bits[std::size_t(k)] = scan.Al;
        }
    }
    return true;
}

// The tables the scan decodes with, derived as libjpeg derives them before the scan; a DC refinement
// uses none.
bool areTablesUsable(Walk& walk, const Scan& scan)
{
    for (const ScanComponent& component : scan.components) {
        const bool isDcFirst = scan.isDc() && scan.Ah == 0;
        const int slot = scan.isDc() ? component.dcTable : component.acTable;
        if ((isDcFirst || !scan.isDc()) &&
            (slot >= tableSlots || !derive((isDcFirst ? walk.dcTables : walk.acTables)[std::size_t(slot)], isDcFirst)))
            return false;
    }
    return true;
}

bool isMcuWithinBound(const DcFrame& frame, const Scan& scan)
{
    int blocks = 0;
    for (const ScanComponent& component : scan.components) {
        const DcComponent& frameComponent = frame.components[std::size_t(component.index)];
        blocks += frameComponent.h * frameComponent.v;
    }
    return scan.components.size() == 1 || blocks <= maxBlocksInMcu;
}

// A scan's MCUs in raster order: the frame's for an interleaved scan, a component's blocks for one
// alone. Each restart interval ends at the next restart marker in turn; restart() is called after it,
// decodeMcu(column, row) for each MCU.
template <typename Restart, typename DecodeMcu>
bool decodeMcus(const Walk& walk, const Scan& scan, BitReader& reader, Restart restart, DecodeMcu decodeMcu)
{
    const bool isAlone = scan.components.size() == 1;
    const DcComponent& first = walk.frame.components[std::size_t(scan.components[0].index)];
    const int wide = isAlone ? first.blocksWide : walk.frame.mcusWide();
    const int high = isAlone ? first.blocksHigh : walk.frame.mcusHigh();
    const qint64 interval = walk.restartInterval;
    int restartNumber = 0;
    for (qint64 mcu = 0; mcu < qint64(wide) * high; ++mcu) {
        if (interval > 0 && mcu > 0 && mcu % interval == 0) {
            if (!reader.passRestart(restartNumber))
                return false;
            restartNumber = (restartNumber + 1) & 7;
            restart();
        }
        if (!decodeMcu(int(mcu % wide), int(mcu / wide)))
            return false;
    }
    return true;
}

// Decodes a DC scan's MCUs into the frame's coefficients.
class DcScanDecoder {
public:
    DcScanDecoder(Walk& walk, const Scan& scan) : walk_(walk), scan_(scan), reader_(walk.stream) {}

    // Each restart starts the predictions anew.
    bool decode()
    {
        return decodeMcus(
            walk_, scan_, reader_, [this] { predictions_ = {}; },
            [this](int column, int row) { return decodeMcu(column, row); });
    }

private:
    bool decodeMcu(int column, int row);
    bool decodeBlock(std::size_t inScan, DcComponent& component, int x, int y);

    Walk& walk_;
    const Scan& scan_;
    BitReader reader_;
    std::array<int, 4> predictions_{}; // the last DC value of each of the scan's components
};

bool DcScanDecoder::decodeMcu(int column, int row)
{
    const bool isAlone = scan_.components.size() == 1;
    for (std::size_t i = 0; i < scan_.components.size(); ++i) {
        DcComponent& component = walk_.frame.components[std::size_t(scan_.components[i].index)];
        const int h = isAlone ? 1 : component.h;
        const int v = isAlone ? 1 : component.v;
        for (int y = 0; y < v; ++y) {
            for (int x = 0; x < h; ++x) {
                if (!decodeBlock(i, component, column * h + x, row * v + y))
                    return false;
            }
        }
    }
    return true;
}

// A first scan codes the difference from the last value, shifted up by Al; a refinement one more bit.
// A value that does not fit libjpeg's 16-bit coefficient is not followed.
bool DcScanDecoder::decodeBlock(std::size_t inScan, DcComponent& component, int x, int y)
{
    std::int16_t& dc = component.dc[std::size_t(y) * std::size_t(component.storedWide) + std::size_t(x)];
    if (scan_.Ah != 0) {
        const int bit = reader_.bit();
        if (bit > 0)
            dc = std::int16_t(dc | (1 << scan_.Al));
        return bit >= 0;
    }
    const int size = decodeSymbol(reader_, walk_.dcTables[std::size_t(scan_.components[inScan].dcTable)]);
    const int bits = size > 0 ? reader_.bits(size) : 0;
    if (size < 0 || bits < 0)
        return false;
    const int difference = extended(bits, size);
    int& prediction = predictions_[inScan];
    prediction += difference;
    const int value = prediction * (1 << scan_.Al);
    if (prediction < -32768 || prediction > 32767 || value < -32768 || value > 32767)
        return false;
    dc = std::int16_t(value);
    return true;
}

// Decodes an AC scan of a 2 x 2 component, as libjpeg decodes it, into the coefficients kept of it. Runs
// of blocks with nothing in the band (end-of-band runs) cross MCUs up to the next restart.
class AcScanDecoder {
public:
    AcScanDecoder(Walk& walk, const Scan& scan)
        : walk_(walk), scan_(scan), reader_(walk.stream),
          component_(walk.frame.components[std::size_t(scan.components[0].index)]),
          table_(walk.acTables[std::size_t(scan.components[0].acTable)])
    {
    }

    bool decode()
    {
        return decodeMcus(
            walk_, scan_, reader_, [this] { bandsLeft_ = 0; },
            [this](int column, int row) {
                const std::size_t block = std::size_t(row) * std::size_t(component_.storedWide) + std::size_t(column);
                return scan_.Ah == 0 ? decodeFirst(block) : decodeRefinement(block);
            });
    }

private:
    bool decodeFirst(std::size_t block);
    bool decodeRefinement(std::size_t block);
    bool readBandRun(int sizeBits);
    bool passToZero(std::size_t block, int& k, int zeros);
    bool refine(std::size_t block, int k);
    bool set(std::size_t block, int k, int value);
    bool isNonzero(std::size_t block, int k) const { return (component_.nonzero[block] >> k & 1u) != 0; }

    Walk& walk_;
    const Scan& scan_;
    BitReader reader_;
    DcComponent& component_;
    const HuffmanTable& table_;
    int bandsLeft_ = 0; // blocks after this one whose band is empty
};

// An end-of-band run of 2^sizeBits blocks and that many more bits' worth, this block included.
bool AcScanDecoder::readBandRun(int sizeBits)
{
    const int extra = sizeBits > 0 ? reader_.bits(sizeBits) : 0;
    bandsLeft_ = (1 << sizeBits) + extra;
    return extra >= 0;
}

bool AcScanDecoder::set(std::size_t block, int k, int value)
{
    component_.nonzero[block] |= std::uint64_t(1) << k;
    const int slot = twoByTwoSlot(k);
    return slot < 0 || component_.setAc(block, slot, value);
}

// The first bits of the band's coefficients: runs of zeros, each value shifted up by Al. A coefficient
// past the band or too large for libjpeg's 16 bits is not followed.
bool AcScanDecoder::decodeFirst(std::size_t block)
{
    if (bandsLeft_ > 0) {
        --bandsLeft_;
        return true;
    }
    for (int k = scan_.Ss; k <= scan_.Se; ++k) {
        const int symbol = decodeSymbol(reader_, table_);
        if (symbol < 0)
            return false;
        const int run = symbol >> 4;
        const int size = symbol & 15;
        if (size == 0 && run != 15) {
            if (!readBandRun(run))
                return false;
            --bandsLeft_; // this block's
            return true;
        }
        k += run; // after a run of 16 zeros, the loop's step passes the 16th
        if (size == 0)
            continue;
        const int bits = reader_.bits(size);
        const int value = extended(bits, size) * (1 << scan_.Al);
        if (k > scan_.Se || bits < 0 || value < -32768 || value > 32767 || !set(block, k, value))
            return false;
    }
    return true;
}

// A correction bit of a coefficient already not zero: its bit Al, away from zero.
bool AcScanDecoder::refine(std::size_t block, int k)
{
    const int bit = reader_.bit();
    const int slot = twoByTwoSlot(k);
    const int value = bit > 0 && slot >= 0 ? component_.acValue(block, slot) : 0;
    if (value == 0 || (value & (1 << scan_.Al)) != 0)
        return bit >= 0;
    return component_.setAc(block, slot, std::int16_t(value + (value >= 0 ? 1 : -1) * (1 << scan_.Al)));
}

// From k, refines the coefficients not zero and passes that many zero ones, up to the next zero; k is left
// there, or past the band.
bool AcScanDecoder::passToZero(std::size_t block, int& k, int zeros)
{
    for (; k <= scan_.Se; ++k) {
        if (isNonzero(block, k)) {
            if (!refine(block, k))
                return false;
        } else if (--zeros < 0) {
            return true;
        }
    }
    return true;
}

// The next bit of every coefficient of the band: a correction bit for those not zero, and new
// coefficients of +-2^Al placed after runs of zeros; in an end-of-band run only correction bits.
bool AcScanDecoder::decodeRefinement(std::size_t block)
{
    int k = scan_.Ss;
    for (; bandsLeft_ == 0 && k <= scan_.Se; ++k) {
        const int symbol = decodeSymbol(reader_, table_);
        const int run = symbol >> 4;
        const int size = symbol & 15;
        if (symbol < 0 || size > 1)
            return false;
        if (size == 0 && run != 15) {
            if (!readBandRun(run))
                return false;
            break;
        }
        const int sign = size == 1 ? reader_.bit() : 0;
        if (sign < 0 || !passToZero(block, k, run) || (size == 1 && k > scan_.Se))
            return false;
        if (size == 1 && !set(block, k, (sign > 0 ? 1 : -1) * (1 << scan_.Al)))
            return false;
    }
    for (; bandsLeft_ > 0 && k <= scan_.Se; ++k) {
        if (isNonzero(block, k) && !refine(block, k))
            return false;
    }
    bandsLeft_ = bandsLeft_ > 0 ? bandsLeft_ - 1 : 0;
    return true;
}

// A scan read: a DC one decoded, an AC one of a 2 x 2 component too, any other only checked; then the
// walk passes to the marker after it.
bool readScan(Walk& walk)
{
    Scan scan;
    if (!readScanHeader(walk, scan) || !isValidProgression(scan) || !isMcuWithinBound(walk.frame, scan) ||
        !areTablesUsable(walk, scan) || !followsEarlierScans(walk, scan))
        return false;
    walk.isScanSeen = true;
    if (scan.isDc())
        return DcScanDecoder(walk, scan).decode();
    const bool isKept = walk.frame.components[std::size_t(scan.components[0].index)].isTwoByTwo;
    return !isKept || AcScanDecoder(walk, scan).decode();
}

// Every component's DC sent, and coefficients 1..9 of every component fully refined: libjpeg's decode
// then neither smooths blocks nor leaves a DC value 0.
bool isDecodedWithoutSmoothing(const Walk& walk)
{
    for (const std::array<int, 64>& bits : walk.coefficientBits) {
        if (bits[0] < 0)
            return false;
        for (int k = 1; k < smoothedCoefficients; ++k) {
            if (bits[std::size_t(k)] != 0)
                return false;
        }
    }
    return true;
}

} // namespace

namespace {

constexpr std::int8_t wideMark = -128;

} // namespace

int DcComponent::acValue(std::size_t block, int slot) const
{
    const std::size_t at = block * twoByTwoCoefficients + std::size_t(slot);
    return ac[at] != wideMark ? ac[at] : wideAc.at(at);
}

bool DcComponent::setAc(std::size_t block, int slot, int value)
{
    const std::size_t at = block * twoByTwoCoefficients + std::size_t(slot);
    if (value > wideMark && value <= 127) {
        if (ac[at] == wideMark)
            wideAc.erase(at);
        ac[at] = std::int8_t(value);
        return true;
    }
    ac[at] = wideMark;
    wideAc[at] = std::int16_t(value);
    return wideAc.size() <= dc.size();
}

int twoByTwoSlot(int k)
{
    static const std::array<int, 64> slotOf = [] {
        constexpr std::array<int, 64> zigzag = {
            0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
            41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
            30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
        constexpr std::array<int, 8> place = {0, 1, -1, 2, -1, 3, -1, 4}; // of each row or column read
        std::array<int, 64> all{};
        for (int i = 0; i < 64; ++i) {
            const int row = place[std::size_t(zigzag[std::size_t(i)] / 8)];
            const int column = place[std::size_t(zigzag[std::size_t(i)] % 8)];
            all[std::size_t(i)] = i == 0 || row < 0 || column < 0 ? -1 : row * 5 + column - 1;
        }
        return all;
    }();
    return k >= 0 && k < 64 ? slotOf[std::size_t(k)] : -1;
}

DcFrame dcFrame(int width, int height, const std::vector<DcComponent>& components)
{
    DcFrame frame;
    frame.width = width;
    frame.height = height;
    frame.components = components;
    for (const DcComponent& component : components) {
        frame.maxH = std::max(frame.maxH, component.h);
        frame.maxV = std::max(frame.maxV, component.v);
    }
    qint64 heldBytes = 0;
    for (DcComponent& component : frame.components) {
        component.blocksWide = int((qint64(width) * component.h + 8 * frame.maxH - 1) / (8 * frame.maxH));
        component.blocksHigh = int((qint64(height) * component.v + 8 * frame.maxV - 1) / (8 * frame.maxV));
        component.storedWide = frame.mcusWide() * component.h;
        component.storedHigh = frame.mcusHigh() * component.v;
        // libjpeg scales such a component's blocks up by its inverse DCT instead of upsampling it.
        component.isTwoByTwo = frame.maxH % (2 * component.h) == 0 && frame.maxV % (2 * component.v) == 0;
        // A 2 x 2 block: its DC, its AC bytes and bits, and at most one 2-byte coefficient's map entry.
        heldBytes += qint64(component.storedWide) * component.storedHigh *
                     (component.isTwoByTwo ? 2 + twoByTwoCoefficients + 8 + 48 : 2);
    }
    if (heldBytes > maxDecodingBytes)
        return {};
    for (DcComponent& component : frame.components) {
        const std::size_t blocks = std::size_t(component.storedWide) * std::size_t(component.storedHigh);
        component.dc.assign(blocks, 0);
        component.ac.assign(component.isTwoByTwo ? blocks * twoByTwoCoefficients : 0, 0);
        component.nonzero.assign(component.isTwoByTwo ? blocks : 0, 0);
    }
    return frame;
}

bool readDcScans(QIODevice& device, DcFrame& frame)
{
    Walk walk(device, frame);
    for (int code = nextSegmentMarker(walk.stream); code != 0xD9; code = nextSegmentMarker(walk.stream)) {
        const bool isRead = code == 0xDA ? readScan(walk) : code >= 0 && readSegment(walk, code);
        if (!isRead)
            return false;
    }
    return walk.isScanSeen && isDecodedWithoutSmoothing(walk);
}

} // namespace velsaro::detail
