#include "picture/jpeg_dc_scans.h"

#include "picture/format_reading.h"
#include "picture/jpeg_scans.h"

#include <QIODevice>

#include <array>

namespace velsaro::detail {

namespace {

// Decodes a DC scan's MCUs into the frame's coefficients.
class DcScanDecoder {
public:
    DcScanDecoder(ScanWalk& walk, DcFrame& frame, const Scan& scan)
        : walk_(walk), frame_(frame), scan_(scan), reader_(walk.reader)
    {
    }

    // Each restart starts the predictions anew.
    bool decode()
    {
        return decodeMcus(
            walk_, scan_, wholeScan, wholeScan, [this] { predictions_ = {}; },
            [this](int column, int row) { return decodeMcu(column, row); });
    }

private:
    bool decodeMcu(int column, int row);
    bool decodeBlock(std::size_t inScan, DcComponent& component, int x, int y);

    ScanWalk& walk_;
    DcFrame& frame_;
    const Scan& scan_;
    BitReader& reader_;
    std::array<int, 4> predictions_{}; // the last DC value of each of the scan's components
};

bool DcScanDecoder::decodeMcu(int column, int row)
{
    const bool isAlone = scan_.components.size() == 1;
    for (std::size_t i = 0; i < scan_.components.size(); ++i) {
        DcComponent& component = frame_.components[std::size_t(scan_.components[i].index)];
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
    AcScanDecoder(ScanWalk& walk, DcFrame& frame, const Scan& scan)
        : walk_(walk), scan_(scan), reader_(walk.reader),
          component_(frame.components[std::size_t(scan.components[0].index)]),
          table_(walk.acTables[std::size_t(scan.components[0].acTable)])
    {
    }

    bool decode()
    {
        return decodeMcus(
            walk_, scan_, wholeScan, wholeScan, [this] { bandsLeft_ = 0; },
            [this](int column, int row) {
                const std::size_t block = std::size_t(row) * std::size_t(component_.storedWide) + std::size_t(column);
                return scan_.Ah == 0 ? decodeFirst(block) : decodeRefinement(block);
            });
    }

private:
    bool decodeFirst(std::size_t block);
    bool decodeRefinement(std::size_t block);
    bool passToZero(std::size_t block, int& k, int zeros);
    bool refine(std::size_t block, int k);
    bool set(std::size_t block, int k, int value);
    bool isNonzero(std::size_t block, int k) const { return (component_.nonzero[block] >> k & 1u) != 0; }

    ScanWalk& walk_;
    const Scan& scan_;
    BitReader& reader_;
    DcComponent& component_;
    const HuffmanTable& table_;
    int bandsLeft_ = 0; // blocks after this one whose band is empty
};

bool AcScanDecoder::set(std::size_t block, int k, int value)
{
    component_.nonzero[block] |= std::uint64_t(1) << k;
    const int slot = twoByTwoSlot(k);
    return slot < 0 || component_.setAc(block, slot, value);
}

// The first bits of the band's coefficients, each value shifted up by Al. A coefficient too large for
// libjpeg's 16 bits is not followed.
bool AcScanDecoder::decodeFirst(std::size_t block)
{
    return decodeFirstBand(reader_, table_, scan_, bandsLeft_, [this, block](int k, int size) {
        const int bits = reader_.bits(size);
        const int value = extended(bits, size) * (1 << scan_.Al);
        return bits >= 0 && isCoefficient(value) && set(block, k, value);
    });
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
        int run = 0;
        int size = 0;
        const RefinementSymbol symbol = readRefinementSymbol(reader_, table_, run, size, bandsLeft_);
        if (symbol == RefinementSymbol::Unread)
            return false;
        if (symbol == RefinementSymbol::BandEnded)
            break;
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

// A scan read: a DC one decoded, an AC one of a 2 x 2 component too, any other passed.
bool readScan(ScanWalk& walk, DcFrame& frame, const Scan& scan)
{
    if (scan.isDc())
        return DcScanDecoder(walk, frame, scan).decode();
    const bool isKept = frame.components[std::size_t(scan.components[0].index)].isTwoByTwo;
    return !isKept || AcScanDecoder(walk, frame, scan).decode();
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

FrameLayout DcFrame::layout() const
{
    FrameLayout layout{*this, {}};
    for (const DcComponent& component : components)
        layout.components.push_back(component);
    return layout;
}

DcFrame dcFrame(int width, int height, const std::vector<DcComponent>& components)
{
    const FrameLayout layout = frameLayout(width, height, {components.begin(), components.end()});
    DcFrame frame{layout, components};
    qint64 heldBytes = 0;
    for (std::size_t c = 0; c < components.size(); ++c) {
        DcComponent& component = frame.components[c];
        static_cast<ComponentLayout&>(component) = layout.components[c];
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
    ScanWalk walk(device, frame.layout());
    const bool isRead =
        walkScans(walk, [&frame](ScanWalk& scanWalk, const Scan& scan) { return readScan(scanWalk, frame, scan); });
    return isRead && isDecodedWithoutSmoothing(walk);
}

} // namespace velsaro::detail
