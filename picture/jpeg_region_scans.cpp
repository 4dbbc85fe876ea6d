#include "picture/jpeg_region_scans.h"

#include <bit>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace velsaro::detail {

namespace {

// The bits of coefficients from up to end (at most 64), in zigzag order.
std::uint64_t coefficientsBetween(int from, int end)
{
    const std::uint64_t belowEnd = end >= 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << end) - 1;
    return belowEnd & ~((std::uint64_t(1) << from) - 1);
}

// The bits set, counted in the register: without a target that has the instruction, std::popcount is a
// library call per block.
int countOnes(std::uint64_t bits)
{
    bits -= (bits >> 1) & 0x5555555555555555u;
    bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return int((bits * 0x0101010101010101u) >> 56);
}

// A value of size bits passed: unread where it fits 16 bits shifted up by Al whatever they are, else
// read and checked as a kept one is.
template <typename Bits>
bool passValue(Bits& bits, int size, int Al)
{
    if (size + Al <= 15)
        return bits.skip(size);
    const int value = bits.bits(size);
    return value >= 0 && isCoefficient(extended(value, size) * (1 << Al));
}

// Passes count bits, however many.
bool skipBits(HeldBits& bits, int count)
{
    for (; count > 32; count -= 32) {
        if (!bits.skip(32))
            return false;
    }
    return bits.skip(count);
}

// Decodes the region's part of a scan: every block of its rows, into the coefficients kept of it, or
// only into which coefficients are not zero where none are kept. Runs of blocks with nothing in the band
// (end-of-band runs) cross MCUs up to the next restart, as DC predictions do. Places::of(bits, n) finds
// where a refinement's new coefficient goes: the place of the set bit with n below it, as placeOfSetBit;
// Places::count(bits) counts the bits set. The blocks of an AC scan are decoded a run of a row at a time,
// so that the reader's bits stay in registers while the same kind of block follows.
template <typename Places>
class RegionScanDecoder {
public:
    RegionScanDecoder(ScanWalk& walk, RegionFrame& frame, const Scan& scan);

    // Of the last row only the kept columns: nothing after them is read, in this scan or a later one.
    bool decode()
    {
        const bool isAlone = scan_.components.size() == 1;
        if (isAlone && !scan_.isDc() && walk_.restartInterval == 0)
            return decodeAcRows();
        const int keptColumns = isAlone ? parts_[0].region->keptWide : frame_.mcusWide;
        return decodeMcus(
            walk_, scan_, isAlone ? parts_[0].region->rowsHigh : frame_.mcusHigh, keptColumns,
            [this] {
                predictions_ = {};
                bandsLeft_ = 0;
            },
            [this, isAlone, keptColumns](int column, int row) {
                if (scan_.isDc() && scan_.Ah == 0)
                    return decodeDcFirstMcu(column, row);
                if (scan_.isDc() && column >= keptColumns)
                    return reader_.skip(blocksInMcu_); // a correction bit a block
                return isAlone ? decodeBlock(0, column, row) : decodeMcu(column, row);
            });
    }

private:
    // What a block of each of the scan's components is decoded with, looked up once for the scan.
    struct Part {
        RegionComponent* region = nullptr;
        int storedWide = 0;
        int h = 1; // blocks in the MCU: 1 x 1 in a scan alone
        int v = 1;
        const HuffmanTable* table = nullptr;
    };

    bool decodeAcRows();
    bool keepAcBlocks(int row, std::uint64_t* masks, int count);
    bool passAcBlocks(std::uint64_t* masks, int count);
    template <typename PassEmpty, typename PassBand>
    bool passBlocks(std::uint64_t* masks, int count, PassEmpty passEmpty, PassBand passBand);
    bool passRefinementBand(HeldBits& bits, std::uint64_t band, std::uint64_t& sent, int& bandsLeft);
    bool decodeMcu(int column, int row);
    bool decodeBlock(std::size_t inScan, int x, int y);
    bool decodeDcFirstMcu(int column, int row);
    bool decodeAcFirst(HeldBits& bits, std::int16_t* coefficients, std::uint64_t& nonzero);
    bool decodeAcRefinement(HeldBits& bits, std::int16_t* coefficients, std::uint64_t& nonzero);
    bool refineToZero(HeldBits& bits, std::int16_t* coefficients, std::uint64_t nonzero, int k, int& zero, int size);
    bool refine(HeldBits& bits, std::int16_t* coefficients, std::uint64_t nonzero, int from, int end);

    ScanWalk& walk_;
    RegionFrame& frame_;
    const Scan& scan_;
    BitReader& reader_;
    std::array<Part, 4> parts_{};
    int blocksInMcu_ = 0;
    std::array<int, 4> predictions_{}; // the last DC value of each of the scan's components
    int bandsLeft_ = 0;                // blocks after this one whose band is empty
};

template <typename Places>
RegionScanDecoder<Places>::RegionScanDecoder(ScanWalk& walk, RegionFrame& frame, const Scan& scan)
    : walk_(walk), frame_(frame), scan_(scan), reader_(walk.reader)
{
    const bool isAlone = scan.components.size() == 1;
    for (std::size_t i = 0; i < scan.components.size(); ++i) {
        const ScanComponent& component = scan.components[i];
        const ComponentLayout& layout = walk.frame.components[std::size_t(component.index)];
        // A DC refinement reads no table, and libjpeg lets its header name any slot.
        const HuffmanTable* table = nullptr;
        if (!scan.isDc())
            table = &walk.acTables[std::size_t(component.acTable)];
        else if (scan.Ah == 0)
            table = &walk.dcTables[std::size_t(component.dcTable)];
        parts_[i] = {&frame.components[std::size_t(component.index)], layout.storedWide, isAlone ? 1 : layout.h,
                     isAlone ? 1 : layout.v, table};
        blocksInMcu_ += parts_[i].h * parts_[i].v;
    }
}

// An AC scan without restarts, row by row: the kept blocks together, then the blocks to their right.
template <typename Places>
bool RegionScanDecoder<Places>::decodeAcRows()
{
    const Part& part = parts_[0];
    RegionComponent& component = *part.region;
    const ComponentLayout& layout = walk_.frame.components[std::size_t(scan_.components[0].index)];
    const int high = std::min(component.rowsHigh, layout.blocksHigh);
    for (int row = 0; row < high; ++row) {
        const int columns = row == high - 1 ? std::min(layout.blocksWide, component.keptWide) : layout.blocksWide;
        const int kept = std::min(columns, component.keptWide);
        std::uint64_t* masks = component.nonzero.data() + std::size_t(row) * std::size_t(part.storedWide);
        if (!keepAcBlocks(row, masks, kept) || (columns > kept && !passAcBlocks(masks + kept, columns - kept)))
            return false;
    }
    return true;
}

// The first count blocks of a row of an AC scan (masks: the row's), every coefficient kept, with the
// reader's bits held in registers across them.
template <typename Places>
bool RegionScanDecoder<Places>::keepAcBlocks(int row, std::uint64_t* masks, int count)
{
    HeldBits bits(reader_);
    RegionComponent& component = *parts_[0].region;
    for (int column = 0; column < count; ++column) {
        std::int16_t* coefficients = component.block(column, row);
        const bool isDecoded = scan_.Ah == 0 ? decodeAcFirst(bits, coefficients, masks[column])
                                             : decodeAcRefinement(bits, coefficients, masks[column]);
        if (!isDecoded)
            return false;
    }
    return true;
}

// Blocks of an AC scan none of whose coefficients are kept, with the reader's bits held in registers
// across them: passBand(bits, mask, bandsLeft) passes a block's band, noting only which coefficients
// are not zero; a run of blocks with empty bands goes to passEmpty(bits, masks, count) at once.
template <typename Places>
template <typename PassEmpty, typename PassBand>
bool RegionScanDecoder<Places>::passBlocks(std::uint64_t* masks, int count, PassEmpty passEmpty, PassBand passBand)
{
    HeldBits bits(reader_);
    int bandsLeft = bandsLeft_;
    for (int i = 0; i < count; ++i) {
        if (bandsLeft > 0) {
            const int passed = std::min(bandsLeft, count - i);
            bandsLeft -= passed;
            if (!passEmpty(bits, masks + i, passed))
                return false;
            i += passed - 1;
            continue;
        }
        std::uint64_t sent = masks[i]; // in a register: a store through masks could reach the bits
        const bool isPassed = passBand(bits, sent, bandsLeft);
        masks[i] = sent;
        if (!isPassed)
            return false;
    }
    bandsLeft_ = bandsLeft;
    return true;
}

// A first scan's empty bands hold no bits; of its values, one is not read where it fits 16 bits
// whatever it is. A refinement's empty bands hold a correction bit for each coefficient not zero.
template <typename Places>
bool RegionScanDecoder<Places>::passAcBlocks(std::uint64_t* masks, int count)
{
    if (scan_.Ah == 0) {
        return passBlocks(
            masks, count, [](HeldBits&, const std::uint64_t*, int) { return true; },
            [this](HeldBits& bits, std::uint64_t& sent, int& bandsLeft) {
                return decodeFirstBand(bits, *parts_[0].table, scan_, bandsLeft, [&](int k, int size) {
                    sent |= std::uint64_t(1) << k;
                    return passValue(bits, size, scan_.Al);
                });
            });
    }
    const std::uint64_t band = coefficientsBetween(scan_.Ss, scan_.Se + 1);
    return passBlocks(
        masks, count,
        [band](HeldBits& bits, const std::uint64_t* empty, int passed) {
            int corrections = 0;
            for (int j = 0; j < passed; ++j)
                corrections += Places::count(empty[j] & band);
            return skipBits(bits, corrections);
        },
        [this, band](HeldBits& bits, std::uint64_t& sent, int& bandsLeft) {
            return passRefinementBand(bits, band, sent, bandsLeft);
        });
}

// A block's band in a refinement scan, passed: each new coefficient's sign and the correction bits before
// it at once (before the zero it goes to lie run zeros, the rest not zero, a correction bit each); where
// an end-of-band run begins, the rest of the block's correction bits.
template <typename Places>
bool RegionScanDecoder<Places>::passRefinementBand(HeldBits& bits, std::uint64_t band, std::uint64_t& sent,
                                                   int& bandsLeft)
{
    const auto bandFrom = [band](int k) { return band & (~std::uint64_t(0) << k); }; // k within the band
    const int end = scan_.Se + 1;
    int k = scan_.Ss;
    while (k < end) {
        int run = 0;
        int size = 0;
        const RefinementSymbol symbol = readRefinementSymbol(bits, *parts_[0].table, run, size, bandsLeft);
        if (symbol == RefinementSymbol::Unread)
            return false;
        if (symbol == RefinementSymbol::BandEnded) {
            --bandsLeft;
            return bits.skip(Places::count(sent & bandFrom(k)));
        }
        const int zero = Places::of(~sent & bandFrom(k), run);
        const int corrections = zero < 0 ? Places::count(sent & bandFrom(k)) : zero - k - run;
        if (!bits.skip(size + corrections) || (size == 1 && zero < 0))
            return false;
        k = zero < 0 ? end : zero;
        sent |= std::uint64_t(size) << (k & 63);
        ++k;
    }
    return true;
}

template <typename Places>
bool RegionScanDecoder<Places>::decodeMcu(int column, int row)
{
    for (std::size_t i = 0; i < scan_.components.size(); ++i) {
        const Part& part = parts_[i];
        for (int y = 0; y < part.v; ++y) {
            for (int x = 0; x < part.h; ++x) {
                if (!decodeBlock(i, column * part.h + x, row * part.v + y))
                    return false;
            }
        }
    }
    return true;
}

template <typename Places>
bool RegionScanDecoder<Places>::decodeBlock(std::size_t inScan, int x, int y)
{
    const Part& part = parts_[inScan];
    RegionComponent& component = *part.region;
    std::int16_t* coefficients = x < component.keptWide ? component.block(x, y) : nullptr;
    std::uint64_t& nonzero = component.nonzero[std::size_t(y) * std::size_t(part.storedWide) + std::size_t(x)];
    if (scan_.isDc()) {
        const int bit = reader_.bit();
        if (bit > 0 && coefficients != nullptr)
            coefficients[0] = std::int16_t(coefficients[0] | (1 << scan_.Al));
        return bit >= 0;
    }
    if (coefficients == nullptr)
        return passAcBlocks(&nonzero, 1);
    HeldBits bits(reader_);
    return scan_.Ah == 0 ? decodeAcFirst(bits, coefficients, nonzero) : decodeAcRefinement(bits, coefficients, nonzero);
}

// Each block's difference from its component's last value, shifted up by Al, with the reader's bits
// held in registers across the MCU. A value that does not fit libjpeg's 16-bit coefficient is not
// followed, kept or not.
template <typename Places>
bool RegionScanDecoder<Places>::decodeDcFirstMcu(int column, int row)
{
    HeldBits bits(reader_);
    for (std::size_t i = 0; i < scan_.components.size(); ++i) {
        const Part& part = parts_[i];
        int& prediction = predictions_[i];
        for (int y = row * part.v; y < (row + 1) * part.v; ++y) {
            for (int x = column * part.h; x < (column + 1) * part.h; ++x) {
                const int size = decodeSymbol(bits, *part.table);
                const int value = size > 0 ? bits.bits(size) : 0;
                if (size < 0 || value < 0)
                    return false;
                prediction += extended(value, size);
                if (!isCoefficient(prediction) || !isCoefficient(prediction * (1 << scan_.Al)))
                    return false;
                if (x < part.region->keptWide)
                    part.region->block(x, y)[0] = std::int16_t(prediction * (1 << scan_.Al));
            }
        }
    }
    return true;
}

// The first bits of the band's coefficients, each value shifted up by Al; a coefficient too large for
// libjpeg's 16 bits is not followed.
template <typename Places>
bool RegionScanDecoder<Places>::decodeAcFirst(HeldBits& bits, std::int16_t* coefficients, std::uint64_t& nonzero)
{
    return decodeFirstBand(bits, *parts_[0].table, scan_, bandsLeft_, [&](int k, int size) {
        nonzero |= std::uint64_t(1) << k;
        const int value = bits.bits(size);
        const int shifted = extended(value, size) * (1 << scan_.Al);
        coefficients[k] = std::int16_t(shifted);
        return value >= 0 && isCoefficient(shifted);
    });
}

// The correction bits of the coefficients not zero from up to end: bit Al of each, added away from zero.
template <typename Places>
bool RegionScanDecoder<Places>::refine(HeldBits& bits, std::int16_t* coefficients, std::uint64_t nonzero, int from,
                                       int end)
{
    const int low = 1 << scan_.Al;
    for (std::uint64_t refined = nonzero & coefficientsBetween(from, end); refined != 0; refined &= refined - 1) {
        const int k = std::countr_zero(refined);
        const int bit = bits.bit();
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
template <typename Places>
bool RegionScanDecoder<Places>::decodeAcRefinement(HeldBits& bits, std::int16_t* coefficients, std::uint64_t& nonzero)
{
    const HuffmanTable& table = *parts_[0].table;
    const int end = scan_.Se + 1;
    int k = scan_.Ss;
    while (bandsLeft_ == 0 && k <= scan_.Se) {
        int run = 0;
        int size = 0;
        const RefinementSymbol symbol = readRefinementSymbol(bits, table, run, size, bandsLeft_);
        if (symbol == RefinementSymbol::Unread)
            return false;
        if (symbol == RefinementSymbol::BandEnded)
            break;
        int zero = Places::of(~nonzero & coefficientsBetween(k, end), run);
        if (!refineToZero(bits, coefficients, nonzero, k, zero, size))
            return false;
        if (size == 1)
            nonzero |= std::uint64_t(1) << zero;
        k = zero + 1;
    }
    if (bandsLeft_ == 0)
        return true;
    --bandsLeft_;
    return refine(bits, coefficients, nonzero, k, end);
}

// Up to the zero found (or past the band where there is none): its sign read first, the correction bits
// before it, then the new coefficient of size 1 placed there.
template <typename Places>
bool RegionScanDecoder<Places>::refineToZero(HeldBits& bits, std::int16_t* coefficients, std::uint64_t nonzero, int k,
                                             int& zero, int size)
{
    const int sign = size == 1 ? bits.bit() : 0;
    const bool isPlaced = size == 0 || zero >= 0;
    zero = zero < 0 ? scan_.Se + 1 : zero;
    if (sign < 0 || !refine(bits, coefficients, nonzero, k, zero) || !isPlaced)
        return false;
    if (size == 1)
        coefficients[zero] = std::int16_t((sign > 0 ? 1 : -1) * (1 << scan_.Al));
    return true;
}

// The place of the set bit that has n others below it, -1 where there are not so many: the bytes' counts
// of bits added up from the lowest byte by one multiplication, the first byte whose sum passes n, and the
// bit within that byte looked up.
int placeOfSetBit(std::uint64_t bits, int n)
{
    static const std::array<std::array<std::int8_t, 8>, 256> inByte = [] {
        std::array<std::array<std::int8_t, 8>, 256> places{};
        for (int value = 0; value < 256; ++value) {
            for (int bit = 0, found = 0; bit < 8; ++bit) {
                if ((value >> bit & 1) != 0)
                    places[std::size_t(value)][std::size_t(found++)] = std::int8_t(bit);
            }
        }
        return places;
    }();
    const std::uint64_t ones = 0x0101010101010101u;
    std::uint64_t counts = bits - ((bits >> 1) & 0x5555555555555555u);
    counts = (counts & 0x3333333333333333u) + ((counts >> 2) & 0x3333333333333333u);
    counts = (counts + (counts >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    const std::uint64_t sums = counts * ones; // byte i: the bits of bytes 0..i, at most 64
    const std::uint64_t passing = ((sums | (ones << 7)) - std::uint64_t(n + 1) * ones) & (ones << 7);
    if (passing == 0)
        return -1;
    const int byte = std::countr_zero(passing) / 8;
    const int below = byte == 0 ? 0 : int(sums >> (8 * byte - 8) & 0xFF);
    return 8 * byte + inByte[(bits >> (8 * byte)) & 0xFF][std::size_t(n - below)];
}

struct CountedPlaces {
    static int of(std::uint64_t bits, int n)
    {
        if (n == 0)
            return bits == 0 ? -1 : std::countr_zero(bits);
        return placeOfSetBit(bits, n);
    }
    static int count(std::uint64_t bits) { return countOnes(bits); }
};

bool decodeScan(ScanWalk& walk, RegionFrame& frame, const Scan& scan)
{
    return RegionScanDecoder<CountedPlaces>(walk, frame, scan).decode();
}

#if defined(__x86_64__)
// Where the processor deposits bits in one fast instruction (and counts them in another), the place costs
// a few cycles instead of some twenty: the refinement scans, where most of a progressive file's symbols
// are, wait on it for each one.
struct DepositedPlaces {
    __attribute__((target("bmi2"))) static int of(std::uint64_t bits, int n)
    {
        const std::uint64_t bit = _pdep_u64(std::uint64_t(1) << n, bits);
        return bit == 0 ? -1 : std::countr_zero(bit);
    }
    __attribute__((target("popcnt"))) static int count(std::uint64_t bits) { return std::popcount(bits); }
};

// The whole decoder inlined here, so that it is compiled for the instruction and calls it in place.
__attribute__((target("bmi2,popcnt"), flatten)) bool decodeScanDepositing(ScanWalk& walk, RegionFrame& frame,
                                                                   const Scan& scan)
{
    return RegionScanDecoder<DepositedPlaces>(walk, frame, scan).decode();
}

using ScanDecoder = bool (*)(ScanWalk&, RegionFrame&, const Scan&);

// The decoder for this processor. AMD's processors before Zen 3 have the instruction but run it in
// microcode, slower than counting.
ScanDecoder decoderForProcessor()
{
    __builtin_cpu_init();
    const bool isSlowAmd = __builtin_cpu_is("amd") && (__builtin_cpu_is("znver1") || __builtin_cpu_is("znver2") ||
                                                      __builtin_cpu_is("bdver4"));
    const bool hasBoth = __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
    return hasBoth && !isSlowAmd ? decodeScanDepositing : decodeScan;
}
#else
ScanDecoder decoderForProcessor() { return decodeScan; }
#endif

const ScanDecoder scanDecoder = decoderForProcessor();

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

bool readRegionScans(QIODevice& device, RegionFrame& frame, ZeroFinding finding)
{
    ScanWalk walk(device, frame.layout);
    const ScanDecoder decoder = finding == ZeroFinding::Fastest ? scanDecoder : decodeScan;
    const bool isRead = walkScans(walk, [&frame, decoder](ScanWalk& scanWalk, const Scan& scan) {
        return decoder(scanWalk, frame, scan);
    });
    return isRead && isDecodedWithoutSmoothing(walk);
}

} // namespace velsaro::detail
