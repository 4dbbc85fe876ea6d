#include "picture/jpeg_region_scans.h"

#include <bit>

namespace velsaro::detail {

namespace {

// The bits of coefficients from up to end (at most 64), in zigzag order.
std::uint64_t coefficientsBetween(int from, int end)
{
    const std::uint64_t belowEnd = end >= 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << end) - 1;
    return belowEnd & ~((std::uint64_t(1) << from) - 1);
}

// Decodes the region's part of a scan: every block of its rows, into the coefficients kept of it, or
// only into which coefficients are not zero where none are kept. Runs of blocks with nothing in the band
// (end-of-band runs) cross MCUs up to the next restart, as DC predictions do.
class RegionScanDecoder {
public:
    RegionScanDecoder(ScanWalk& walk, RegionFrame& frame, const Scan& scan)
        : walk_(walk), frame_(frame), scan_(scan), reader_(walk.reader)
    {
    }

    bool decode()
    {
        const bool isAlone = scan_.components.size() == 1;
        const int rows = isAlone ? frame_.components[std::size_t(scan_.components[0].index)].rowsHigh : frame_.mcusHigh;
        return decodeMcus(
            walk_, scan_, rows,
            [this] {
                predictions_ = {};
                bandsLeft_ = 0;
            },
            [this](int column, int row) { return decodeMcu(column, row); });
    }

private:
    bool decodeMcu(int column, int row);
    bool decodeBlock(std::size_t inScan, int x, int y);
    bool decodeDcFirst(std::size_t inScan, std::int16_t* coefficients);
    bool decodeAcFirst(std::int16_t* coefficients, std::uint64_t& nonzero);
    bool decodeAcRefinement(std::int16_t* coefficients, std::uint64_t& nonzero);
    bool readBandRun(int sizeBits);
    bool refine(std::int16_t* coefficients, std::uint64_t nonzero, int from, int end);
    bool passBits(int count);

    ScanWalk& walk_;
    RegionFrame& frame_;
    const Scan& scan_;
    BitReader& reader_;
    std::array<int, 4> predictions_{}; // the last DC value of each of the scan's components
    int bandsLeft_ = 0;                // blocks after this one whose band is empty
};

bool RegionScanDecoder::decodeMcu(int column, int row)
{
    const bool isAlone = scan_.components.size() == 1;
    for (std::size_t i = 0; i < scan_.components.size(); ++i) {
        const ComponentLayout& layout = walk_.frame.components[std::size_t(scan_.components[i].index)];
        const int h = isAlone ? 1 : layout.h;
        const int v = isAlone ? 1 : layout.v;
        for (int y = 0; y < v; ++y) {
            for (int x = 0; x < h; ++x) {
                if (!decodeBlock(i, column * h + x, row * v + y))
                    return false;
            }
        }
    }
    return true;
}

bool RegionScanDecoder::decodeBlock(std::size_t inScan, int x, int y)
{
    const std::size_t index = std::size_t(scan_.components[inScan].index);
    RegionComponent& component = frame_.components[index];
    std::int16_t* coefficients = x < component.keptWide ? component.block(x, y) : nullptr;
    std::uint64_t& nonzero =
        component.nonzero[std::size_t(y) * std::size_t(walk_.frame.components[index].storedWide) + std::size_t(x)];
    if (scan_.isDc() && scan_.Ah == 0)
        return decodeDcFirst(inScan, coefficients);
    if (scan_.isDc()) {
        const int bit = reader_.bit();
        if (bit > 0 && coefficients != nullptr)
            coefficients[0] = std::int16_t(coefficients[0] | (1 << scan_.Al));
        return bit >= 0;
    }
    return scan_.Ah == 0 ? decodeAcFirst(coefficients, nonzero) : decodeAcRefinement(coefficients, nonzero);
}

// The difference from the component's last value, shifted up by Al. A value that does not fit libjpeg's
// 16-bit coefficient is not followed, kept or not.
bool RegionScanDecoder::decodeDcFirst(std::size_t inScan, std::int16_t* coefficients)
{
    const int size = decodeSymbol(reader_, walk_.dcTables[std::size_t(scan_.components[inScan].dcTable)]);
    const int bits = size > 0 ? reader_.bits(size) : 0;
    if (size < 0 || bits < 0)
        return false;
    int& prediction = predictions_[inScan];
    prediction += extended(bits, size);
    if (!isCoefficient(prediction) || !isCoefficient(prediction * (1 << scan_.Al)))
        return false;
    if (coefficients != nullptr)
        coefficients[0] = std::int16_t(prediction * (1 << scan_.Al));
    return true;
}

// An end-of-band run of 2^sizeBits blocks and that many more bits' worth, this block included.
bool RegionScanDecoder::readBandRun(int sizeBits)
{
    const int extra = reader_.bits(sizeBits);
    bandsLeft_ = (1 << sizeBits) + extra;
    return extra >= 0;
}

// The first bits of the band's coefficients: runs of zeros, each value shifted up by Al. A coefficient
// past the band or too large for libjpeg's 16 bits is not followed.
bool RegionScanDecoder::decodeAcFirst(std::int16_t* coefficients, std::uint64_t& nonzero)
{
    if (bandsLeft_ > 0) {
        --bandsLeft_;
        return true;
    }
    const HuffmanTable& table = walk_.acTables[std::size_t(scan_.components[0].acTable)];
    for (int k = scan_.Ss; k <= scan_.Se; ++k) {
        const int symbol = decodeSymbol(reader_, table);
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
        if (k > scan_.Se || bits < 0 || !isCoefficient(value))
            return false;
        nonzero |= std::uint64_t(1) << k;
        if (coefficients != nullptr)
            coefficients[k] = std::int16_t(value);
    }
    return true;
}

bool RegionScanDecoder::passBits(int count)
{
    for (; count > 0; count -= 16) {
        if (reader_.bits(std::min(count, 16)) < 0)
            return false;
    }
    return true;
}

// The correction bits of the coefficients not zero from up to end: bit Al of each, added away from zero
// where it is kept, only passed where not.
bool RegionScanDecoder::refine(std::int16_t* coefficients, std::uint64_t nonzero, int from, int end)
{
    std::uint64_t refined = nonzero & coefficientsBetween(from, end);
    if (coefficients == nullptr)
        return passBits(std::popcount(refined));
    const int low = 1 << scan_.Al;
    for (; refined != 0; refined &= refined - 1) {
        const int k = std::countr_zero(refined);
        const int bit = reader_.bit();
        const int value = coefficients[k];
        if (bit < 0)
            return false;
        if (bit == 0 || (value & low) != 0)
            continue;
        const int raised = value + (value >= 0 ? low : -low);
        if (!isCoefficient(raised))
            return false;
        coefficients[k] = std::int16_t(raised);
    }
    return true;
}

// The next bit of every coefficient of the band: a correction bit for those not zero, and new
// coefficients of +-2^Al placed after runs of zeros; in an end-of-band run only correction bits.
bool RegionScanDecoder::decodeAcRefinement(std::int16_t* coefficients, std::uint64_t& nonzero)
{
    const HuffmanTable& table = walk_.acTables[std::size_t(scan_.components[0].acTable)];
    const int end = scan_.Se + 1;
    int k = scan_.Ss;
    while (bandsLeft_ == 0 && k <= scan_.Se) {
        const int symbol = decodeSymbol(reader_, table);
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
        // The zero coefficient after run zeros: the new one's place, or past a run of 16.
        std::uint64_t zeros = ~nonzero & coefficientsBetween(k, end);
        for (int i = 0; i < run && zeros != 0; ++i)
            zeros &= zeros - 1;
        const int target = zeros == 0 ? end : std::countr_zero(zeros);
        if (sign < 0 || !refine(coefficients, nonzero, k, target) || (size == 1 && target > scan_.Se))
            return false;
        if (size == 1) {
            nonzero |= std::uint64_t(1) << target;
            if (coefficients != nullptr)
                coefficients[target] = std::int16_t((sign > 0 ? 1 : -1) * (1 << scan_.Al));
        }
        k = target + 1;
    }
    if (bandsLeft_ == 0)
        return true;
    --bandsLeft_;
    return refine(coefficients, nonzero, k, end);
}

} // namespace

RegionFrame regionFrame(const FrameLayout& layout, int mcusWide, int mcusHigh)
{
    RegionFrame frame{layout, mcusWide, mcusHigh, {}};
    qint64 heldBytes = 0;
    for (const ComponentLayout& component : layout.components) {
        RegionComponent region;
        region.keptWide = mcusWide * component.h;
        region.rowsHigh = mcusHigh * component.v;
        heldBytes += qint64(region.rowsHigh) * (qint64(region.keptWide) * 64 * 2 + qint64(component.storedWide) * 8);
        frame.components.push_back(region);
    }
    if (heldBytes > maxDecodingBytes)
        return {layout, mcusWide, mcusHigh, {}};
    for (std::size_t c = 0; c < frame.components.size(); ++c) {
        RegionComponent& region = frame.components[c];
        region.coefficients.assign(std::size_t(region.keptWide) * std::size_t(region.rowsHigh) * 64, 0);
        region.nonzero.assign(std::size_t(layout.components[c].storedWide) * std::size_t(region.rowsHigh), 0);
    }
    return frame;
}

bool readRegionScans(QIODevice& device, RegionFrame& frame)
{
    ScanWalk walk(device, frame.layout);
    const bool isRead = walkScans(walk, [&frame](ScanWalk& scanWalk, const Scan& scan) {
        return RegionScanDecoder(scanWalk, frame, scan).decode();
    });
    return isRead && isDecodedWithoutSmoothing(walk);
}

} // namespace velsaro::detail
