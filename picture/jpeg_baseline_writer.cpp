#include "picture/jpeg_baseline_writer.h"

#include "picture/jpeg_dc_scans.h"
#include "picture/jpeg_region_scans.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <bit>
#include <set>
#include <string>

namespace velsaro::detail {

namespace {

// The zigzag order of a block's coefficients, as DQT segments list them: the natural index of each.
constexpr std::array<int, 64> zigzag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The standard luminance DC table (codes of each length 1..16, for the sizes 0..11 of a difference);
// an AC table whose one code, a single 0 bit, ends a block; and for the blocks that keep AC coefficients
// one of 8-bit codes, each the place of its symbol: end of block, 16 zeros, then each run of 0..15 zeros
// before a value of 1..15 bits.
constexpr std::array<int, 16> dcCodeCounts = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
constexpr int largestDcSize = 11;
constexpr std::array<int, 16> endOfBlockCodeCounts = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr int acSymbols = 2 + 16 * 15;
constexpr std::array<int, 16> acCodeCounts = {0, 0, 0, 0, 0, 0, 0, acSymbols, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr int largestAcSize = 15;

int acSymbol(int code)
{
    return code == 0 ? 0x00 : (code == 1 ? 0xF0 : ((code - 2) / 15) << 4 | ((code - 2) % 15 + 1));
}

int acCode(int run, int size)
{
    return size == 0 ? (run == 0 ? 0 : 1) : 2 + run * 15 + size - 1;
}

// The bits a value's magnitude takes.
int sizeOf(int value)
{
    return std::bit_width(unsigned(value < 0 ? -value : value));
}

// A block's coefficients as the written file carries them, in zigzag order, and a bit for each AC
// coefficient that is not zero: only the DC and those are read; of a component that carries no AC
// coefficients only the DC. A block source points them at (component, x, y).
struct BlockCoefficients {
    const std::int16_t* zigzag = nullptr;
    std::uint64_t nonzero = 0;
};

// The written file's size and, for each component, whether its blocks carry AC coefficients.
struct BaselineLayout {
    int width = 0;
    int height = 0;
    std::vector<bool> carriesAc;
};

struct Code {
    std::uint32_t bits = 0;
    int length = 0;
};

// The canonical codes of the DC table, one per size.
std::array<Code, largestDcSize + 1> dcCodes()
{
    std::array<Code, largestDcSize + 1> codes{};
    std::uint32_t code = 0;
    int size = 0;
    for (int length = 1; length <= 16; ++length, code <<= 1) {
        for (int i = 0; i < dcCodeCounts[std::size_t(length - 1)]; ++i)
            codes[std::size_t(size++)] = {code++, length};
    }
    return codes;
}

void appendBigEndian(QByteArray& out, int value)
{
    out.append(char(value >> 8));
    out.append(char(value & 0xFF));
}

// A marker and its segment's length field, for a body of bodyLength bytes.
void appendSegmentStart(QByteArray& out, int marker, int bodyLength)
{
    out.append(char(0xFF));
    out.append(char(marker));
    appendBigEndian(out, bodyLength + 2);
}

// Entropy-coded bytes: each 0xFF followed by a stuffed 0; the last byte padded with 1 bits. They are
// gathered apart and added to the file at the end, which costs less than adding them one by one.
class BitWriter {
public:
    explicit BitWriter(QByteArray& out) : out_(out) {}

    // Up to 24 bits. Four bytes leave the 64-bit store at once when it holds 32 bits or more.
    void put(std::uint32_t bits, int length)
    {
        pending_ = (pending_ << length) | (bits & ((1u << length) - 1));
        count_ += length;
        if (count_ >= 32)
            emitWord();
    }

    void finish()
    {
        if (count_ % 8 != 0)
            put(0x7F, 8 - count_ % 8);
        for (; count_ >= 8; count_ -= 8)
            emitByte(char((pending_ >> (count_ - 8)) & 0xFF));
        out_.append(bytes_.data(), qsizetype(bytes_.size()));
    }

private:
    void emitWord()
    {
        const std::uint32_t word = std::uint32_t(pending_ >> (count_ - 32));
        count_ -= 32;
        const std::uint32_t ones = 0x01010101u;
        const bool hasFullByte = ((~word - ones) & word & (ones << 7)) != 0; // a byte 0xFF, to stuff
        if (!hasFullByte) {
            const char four[4] = {char(word >> 24), char(word >> 16), char(word >> 8), char(word)};
            bytes_.append(four, 4);
            return;
        }
        for (int shift = 24; shift >= 0; shift -= 8)
            emitByte(char(word >> shift));
    }

    void emitByte(char byte)
    {
        bytes_.push_back(byte);
        if (byte == char(0xFF))
            bytes_.push_back('\0');
    }

    QByteArray& out_;
    std::string bytes_;
    std::uint64_t pending_ = 0; // the low count_ bits are still to emit
    int count_ = 0;
};

// The quantisation tables the components use, each once, at its own slot and precision.
bool appendQuantisationTables(QByteArray& out, const jpeg_decompress_struct& info)
{
    std::set<int> usedSlots;
    for (int c = 0; c < info.num_components; ++c)
        usedSlots.insert(info.comp_info[c].quant_tbl_no);
    for (const int slot : usedSlots) {
        const JQUANT_TBL* table = slot >= 0 && slot < NUM_QUANT_TBLS ? info.quant_tbl_ptrs[slot] : nullptr;
        if (table == nullptr)
            return false;
        bool isWide = false;
        for (const auto value : table->quantval)
            isWide = isWide || value > 255;
        appendSegmentStart(out, 0xDB, 1 + 64 * (isWide ? 2 : 1));
        out.append(char((isWide ? 0x10 : 0) | slot));
        for (const int natural : zigzag) {
            if (isWide)
                appendBigEndian(out, table->quantval[natural]);
            else
                out.append(char(table->quantval[natural]));
        }
    }
    return true;
}

void appendHuffmanTable(QByteArray& out, int classAndSlot, const std::array<int, 16>& counts, int symbols,
                        int (*symbolOf)(int code))
{
    out.append(char(classAndSlot));
    for (const int count : counts)
        out.append(char(count));
    for (int code = 0; code < symbols; ++code)
        out.append(char(symbolOf(code)));
}

int sameSymbol(int code) { return code; }

// The frame as the file declares it but baseline and of the written size, the two tables, and a scan of
// every component.
void appendFrameAndScanHeaders(QByteArray& out, const jpeg_decompress_struct& info, const BaselineLayout& layout)
{
    const int components = info.num_components;
    appendSegmentStart(out, 0xC0, 6 + 3 * components);
    out.append(char(8));
    appendBigEndian(out, layout.height);
    appendBigEndian(out, layout.width);
    out.append(char(components));
    for (int c = 0; c < components; ++c) {
        const jpeg_component_info& component = info.comp_info[c];
        out.append(char(component.component_id));
        out.append(char(component.h_samp_factor << 4 | component.v_samp_factor));
        out.append(char(component.quant_tbl_no));
    }
    appendSegmentStart(out, 0xC4, 3 * 17 + (largestDcSize + 1) + 1 + acSymbols);
    appendHuffmanTable(out, 0x00, dcCodeCounts, largestDcSize + 1, sameSymbol);
    appendHuffmanTable(out, 0x10, endOfBlockCodeCounts, 1, sameSymbol); // the one symbol 0: end of block
    appendHuffmanTable(out, 0x11, acCodeCounts, acSymbols, acSymbol);
    appendSegmentStart(out, 0xDA, 4 + 2 * components);
    out.append(char(components));
    for (int c = 0; c < components; ++c) {
        out.append(char(info.comp_info[c].component_id));
        out.append(char(layout.carriesAc[std::size_t(c)] ? 0x01 : 0x00)); // DC table 0, AC 0 or 1
    }
    out.append('\0');      // coefficients 0..63
    out.append(char(63));
    out.append('\0');      // no successive approximation
}

// Each block's DC difference from the component's last, then its AC coefficients, or only the end of
// the block.
class BlockWriter {
public:
    explicit BlockWriter(QByteArray& out) : bits_(out), dcCodes_(dcCodes()) {}

    // False where a value is larger than the tables' sizes.
    bool put(const BlockCoefficients& block, bool carriesAc, int& prediction)
    {
        const int dc = block.zigzag[0];
        const int size = sizeOf(dc - prediction);
        if (size > largestDcSize)
            return false;
        const Code& code = dcCodes_[std::size_t(size)];
        const std::uint32_t difference = std::uint32_t(dc < prediction ? dc - prediction - 1 : dc - prediction);
        bits_.put(code.bits << size | (difference & ((1u << size) - 1)), code.length + size);
        prediction = dc;
        if (!carriesAc)
            bits_.put(0, 1);
        return !carriesAc || putAc(block);
    }

    void finish() { bits_.finish(); }

private:
    // The coefficients in zigzag order: runs of zeros before each value, each code and value put at once.
    bool putAc(const BlockCoefficients& block)
    {
        int last = 0;
        for (std::uint64_t nonzero = block.nonzero & ~std::uint64_t(1); nonzero != 0; nonzero &= nonzero - 1) {
            const int k = std::countr_zero(nonzero);
            const int value = block.zigzag[k];
            int run = k - last - 1;
            for (; run > 15; run -= 16)
                bits_.put(std::uint32_t(acCode(15, 0)), 8);
            const int size = sizeOf(value);
            if (size > largestAcSize)
                return false;
            const std::uint32_t bits = std::uint32_t(value < 0 ? value - 1 : value) & ((1u << size) - 1);
            bits_.put(std::uint32_t(acCode(run, size)) << size | bits, 8 + size);
            last = k;
        }
        if (last < 63)
            bits_.put(std::uint32_t(acCode(0, 0)), 8);
        return true;
    }

    BitWriter bits_;
    std::array<Code, largestDcSize + 1> dcCodes_;
};

// The components' layout as libjpeg reads the frame header; empty where two components share an id.
FrameLayout layoutOf(const jpeg_decompress_struct& info, int width, int height)
{
    std::vector<ComponentLayout> components;
    std::set<int> ids;
    for (int c = 0; c < info.num_components; ++c) {
        const jpeg_component_info& component = info.comp_info[c];
        components.push_back({component.component_id, component.h_samp_factor, component.v_samp_factor});
        ids.insert(component.component_id);
    }
    if (ids.size() != components.size())
        return {};
    return frameLayout(width, height, components);
}

// The blocks in the order of the scan of every component: a component's own blocks when it is alone,
// else MCU by MCU.
template <typename BlockSource>
bool appendBlocks(QByteArray& out, const FrameLayout& frame, const BaselineLayout& layout, const BlockSource& blockOf)
{
    BlockWriter writer(out);
    const bool isAlone = frame.components.size() == 1;
    const int wide = isAlone ? frame.components[0].blocksWide : frame.mcusWide();
    const int high = isAlone ? frame.components[0].blocksHigh : frame.mcusHigh();
    std::array<int, 4> predictions{};
    BlockCoefficients block;
    for (int row = 0; row < high; ++row) {
        for (int column = 0; column < wide; ++column) {
            for (std::size_t c = 0; c < frame.components.size(); ++c) {
                const int h = isAlone ? 1 : frame.components[c].h;
                const int v = isAlone ? 1 : frame.components[c].v;
                for (int y = row * v; y < (row + 1) * v; ++y) {
                    for (int x = column * h; x < (column + 1) * h; ++x) {
                        blockOf(int(c), x, y, block);
                        if (!writer.put(block, layout.carriesAc[c], predictions[c]))
                            return false;
                    }
                }
            }
        }
    }
    writer.finish();
    return true;
}

// The frame's layout and its DC coefficients' store from libjpeg's reading of its header; empty where
// two components share an id.
DcFrame frameOf(const jpeg_decompress_struct& info)
{
    const FrameLayout layout = layoutOf(info, int(info.image_width), int(info.image_height));
    std::vector<DcComponent> components;
    for (const ComponentLayout& component : layout.components) {
        components.emplace_back();
        static_cast<ComponentLayout&>(components.back()) = component;
    }
    return components.empty() ? DcFrame{} : dcFrame(layout.width, layout.height, components);
}

template <typename BlockSource>
QByteArray baselineJpeg(const jpeg_decompress_struct& info, const BaselineLayout& layout, const BlockSource& blockOf)
{
    const FrameLayout frame = layoutOf(info, layout.width, layout.height);
    if (frame.components.empty() || frame.components.size() > 4)
        return {};
    QByteArray out("\xFF\xD8", 2);
    if (!appendQuantisationTables(out, info))
        return {};
    appendFrameAndScanHeaders(out, info, layout);
    if (!appendBlocks(out, frame, layout, blockOf))
        return {};
    out.append("\xFF\xD9", 2);
    return out;
}

} // namespace

QByteArray dcOnlyJpeg(QIODevice& device, const jpeg_decompress_struct& info)
{
    DcFrame frame = frameOf(info);
    if (frame.components.empty() || frame.components.size() > 4 || !readDcScans(device, frame))
        return {};
    BaselineLayout layout{frame.width, frame.height, {}};
    for (const DcComponent& component : frame.components)
        layout.carriesAc.push_back(component.isTwoByTwo);
    std::array<std::int16_t, 64> zigzag{};
    return baselineJpeg(info, layout, [&frame, &zigzag](int c, int x, int y, BlockCoefficients& coefficients) {
        const DcComponent& component = frame.components[std::size_t(c)];
        const std::size_t block = std::size_t(y) * std::size_t(component.storedWide) + std::size_t(x);
        zigzag[0] = component.dc[block];
        coefficients = {zigzag.data(), 0};
        for (int k = 1; component.isTwoByTwo && k < 64; ++k) {
            const int slot = twoByTwoSlot(k);
            zigzag[std::size_t(k)] = std::int16_t(slot < 0 ? 0 : component.acValue(block, slot));
            coefficients.nonzero |= std::uint64_t(zigzag[std::size_t(k)] != 0) << k;
        }
    });
}

QByteArray regionOnlyJpeg(QIODevice& device, const jpeg_decompress_struct& info, int mcusWide, int mcusHigh)
{
    const FrameLayout layout = layoutOf(info, int(info.image_width), int(info.image_height));
    if (layout.components.empty() || layout.components.size() > 4)
        return {};
    RegionFrame frame =
        regionFrame(layout, std::min(mcusWide, layout.mcusWide()), std::min(mcusHigh, layout.mcusHigh()));
    if (frame.components.empty() || !readRegionScans(device, frame))
        return {};
    const BaselineLayout written{std::min(layout.width, frame.mcusWide * 8 * layout.maxH),
                                 std::min(layout.height, frame.mcusHigh * 8 * layout.maxV),
                                 std::vector<bool>(layout.components.size(), true)};
    return baselineJpeg(info, written, [&frame](int c, int x, int y, BlockCoefficients& coefficients) {
        const RegionComponent& component = frame.components[std::size_t(c)];
        const std::size_t stored = std::size_t(frame.layout.components[std::size_t(c)].storedWide);
        coefficients = {component.block(x, y), component.nonzero[std::size_t(y) * stored + std::size_t(x)]};
    });
}

} // namespace velsaro::detail
