#include "picture/jpeg_scans.h"

#include <QIODevice>

namespace velsaro::detail {

namespace {

constexpr int maxBlocksInMcu = 10;       // libjpeg refuses an interleaved scan of more
constexpr int smoothedCoefficients = 10; // DC and the AC coefficients 1..9 that block smoothing estimates

// Each code of up to lookaheadBits bits fills the entries of every bit string it begins.
void fillShortCodes(HuffmanTable& table)
{
    table.shortCodes.fill(0);
    int symbol = 0;
    std::uint32_t code = 0;
    for (int length = 1; length <= lookaheadBits; ++length, code <<= 1) {
        for (int i = 0; i < table.counts[length]; ++i, ++code, ++symbol) {
            const int spare = lookaheadBits - length;
            for (std::uint32_t rest = 0; rest < (1u << spare); ++rest)
                table.shortCodes[(code << spare) | rest] =
                    std::uint16_t(length << 8 | table.symbols[std::size_t(symbol)]);
        }
    }
}

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
    fillShortCodes(table);
    return true;
}

bool isSegmentMarker(int code) { return code != 0x00 && code != 0x01 && (code < 0xD0 || code > 0xD7); }

// The code of the next marker as libjpeg finds it between segments: stray bytes, 0xFF fill and stuffed
// zeros passed, and restart markers and TEM, which begin no segment; a marker the last scan's data ended
// at first. -1 where the file ends.
int nextSegmentMarker(ScanWalk& walk)
{
    const std::optional<int> met = walk.reader.takeMarker();
    if (met && (*met < 0 || isSegmentMarker(*met)))
        return *met;
    for (;;) {
        if (!walk.stream.skipPast(0xFF))
            return -1;
        int code = walk.stream.next();
        while (code == 0xFF)
            code = walk.stream.next();
        if (code < 0)
            return -1;
        if (isSegmentMarker(code))
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
bool readHuffmanTables(ScanWalk& walk, const QByteArray& body)
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
bool readSegment(ScanWalk& walk, int code)
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
int componentAfter(const FrameLayout& frame, int id, const Scan& scan)
{
    const int first = scan.components.empty() ? 0 : scan.components.back().index + 1;
    for (int c = first; c < int(frame.components.size()); ++c) {
        if (frame.components[std::size_t(c)].id == id)
            return c;
    }
    return -1;
}

// The scan header as libjpeg reads it; false where it does not read it.
bool readScanHeader(ScanWalk& walk, Scan& scan)
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
bool followsEarlierScans(ScanWalk& walk, const Scan& scan)
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
bool areTablesUsable(ScanWalk& walk, const Scan& scan)
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

bool isMcuWithinBound(const FrameLayout& frame, const Scan& scan)
{
    int blocks = 0;
    for (const ScanComponent& component : scan.components) {
        const ComponentLayout& frameComponent = frame.components[std::size_t(component.index)];
        blocks += frameComponent.h * frameComponent.v;
    }
    return scan.components.size() == 1 || blocks <= maxBlocksInMcu;
}

// A scan's header read and checked, then its data decoded.
bool readScan(ScanWalk& walk, const std::function<bool(ScanWalk&, const Scan&)>& decodeScan)
{
    Scan scan;
    if (!readScanHeader(walk, scan) || !isValidProgression(scan) || !isMcuWithinBound(walk.frame, scan) ||
        !areTablesUsable(walk, scan) || !followsEarlierScans(walk, scan))
        return false;
    walk.isScanSeen = true;
    walk.reader.start();
    return decodeScan(walk, scan);
}

} // namespace

FrameLayout frameLayout(int width, int height, std::vector<ComponentLayout> components)
{
    FrameLayout frame;
    frame.width = width;
    frame.height = height;
    for (const ComponentLayout& component : components) {
        frame.maxH = std::max(frame.maxH, component.h);
        frame.maxV = std::max(frame.maxV, component.v);
    }
    for (ComponentLayout& component : components) {
        component.blocksWide = int((qint64(width) * component.h + 8 * frame.maxH - 1) / (8 * frame.maxH));
        component.blocksHigh = int((qint64(height) * component.v + 8 * frame.maxV - 1) / (8 * frame.maxV));
        component.storedWide = frame.mcusWide() * component.h;
        component.storedHigh = frame.mcusHigh() * component.v;
    }
    frame.components = std::move(components);
    return frame;
}

void BitReader::start()
{
    buffer_ = 0;
    count_ = 0;
    marker_.reset();
}

// Whole bytes up to 57 bits or the marker: 0xFF is stored as 0xFF 0x00, and any other code after 0xFF
// (fill passed) is a marker, which ends the data. Eight bytes without 0xFF are taken at once.
void BitReader::fill()
{
    while (count_ <= 56 && !marker_) {
        const std::span<const std::uint8_t> ahead = stream_.ahead();
        if (ahead.size() >= 8) {
            std::uint64_t word = 0;
            for (std::size_t i = 0; i < 8; ++i)
                word = word << 8 | ahead[i];
            const std::uint64_t ones = 0x0101010101010101u;
            if (((~word - ones) & word & (ones << 7)) == 0) { // no byte 0xFF
                const int taken = (64 - count_) / 8;
                buffer_ |= (word >> (64 - 8 * taken)) << (64 - count_ - 8 * taken);
                count_ += 8 * taken;
                stream_.skip(taken);
                continue;
            }
        }
        int value = stream_.next();
        if (value == 0xFF) {
            do
                value = stream_.next();
            while (value == 0xFF);
            if (value != 0) {
                marker_ = value;
                return;
            }
            value = 0xFF;
        } else if (value < 0) {
            marker_ = -1;
            return;
        }
        buffer_ |= std::uint64_t(value) << (56 - count_);
        count_ += 8;
    }
}

bool BitReader::passRestart(int number)
{
    if (count_ >= 8) // a whole byte of data before the marker
        return false;
    buffer_ = 0;
    count_ = 0;
    fill();
    const bool isPassed = count_ == 0 && marker_ == 0xD0 + number;
    start();
    return isPassed;
}

std::optional<int> BitReader::takeMarker()
{
    const std::optional<int> marker = marker_;
    marker_.reset();
    return marker;
}

ScanWalk::ScanWalk(QIODevice& device, FrameLayout layout)
    : stream(device, 2), reader(stream), frame(std::move(layout)) // after start-of-image
{
    std::array<int, 64> none;
    none.fill(-1);
    coefficientBits.assign(frame.components.size(), none);
}

bool walkScans(ScanWalk& walk, const std::function<bool(ScanWalk&, const Scan&)>& decodeScan)
{
    for (int code = nextSegmentMarker(walk); code != 0xD9; code = nextSegmentMarker(walk)) {
        const bool isRead = code == 0xDA ? readScan(walk, decodeScan) : code >= 0 && readSegment(walk, code);
        if (!isRead)
            return false;
    }
    return walk.isScanSeen;
}

// Every component's DC sent, and coefficients 1..9 of every component fully refined: libjpeg's decode
// then neither smooths blocks nor leaves a DC value 0.
bool isDecodedWithoutSmoothing(const ScanWalk& walk)
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

} // namespace velsaro::detail
