// The coefficients of a progressive Huffman-coded JPEG that libjpeg's decode at 1/8 scale reads, and no
// others. Its 1 x 1 inverse DCT reads a block's DC coefficient alone: of such a component only the DC
// scans are decoded, its AC scans passed to their next marker, 2 bytes a block held. A component sampled
// at half the width and half the height of another (the chroma of 4:2:0) it decodes with its 2 x 2
// inverse DCT, which reads 24 AC coefficients as well: of those its AC scans are decoded too, keeping
// them and which coefficients are not zero. Neither holds where libjpeg smooths blocks, which it does
// while coefficients 1..9 of some component are not fully refined.
#pragma once

#include "picture/jpeg_scans.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

class QIODevice;

namespace velsaro::detail {

struct DcComponent : ComponentLayout {
    std::vector<std::int16_t> dc; // storedWide x storedHigh, row by row; 0 where no scan wrote
    bool isTwoByTwo = false;      // decoded at 1/8 scale by the 2 x 2 inverse DCT
    // Of a 2 x 2 component's blocks in the same order: the AC coefficients that inverse DCT reads
    // (twoByTwoSlot), and a bit for each coefficient in zigzag order that is not zero. A coefficient
    // is a byte, or marked there and held in wideAc, so that most take 1 byte instead of 2.
    std::vector<std::int8_t> ac;
    std::unordered_map<std::size_t, std::int16_t> wideAc; // by place in ac
    std::vector<std::uint64_t> nonzero;

    int acValue(std::size_t block, int slot) const;
    // False where more coefficients would take 2 bytes than there are blocks.
    bool setAc(std::size_t block, int slot, int value);
};

// The AC coefficients that libjpeg's 2 x 2 inverse DCT reads: those of rows and columns 0, 1, 3, 5 and 7.
inline constexpr int twoByTwoCoefficients = 24;
// The place among them of the coefficient at zigzag position k, -1 for one it does not read.
int twoByTwoSlot(int k);

struct DcFrame : FrameSize {
    std::vector<DcComponent> components; // in the frame header's order

    FrameLayout layout() const;
};

// The frame of width x height and these components (id and sampling factors each), its block counts
// and inverse DCTs at 1/8 scale worked out as libjpeg works them out, and its coefficients all 0; no
// components where those would take more than the memory any decode may.
DcFrame dcFrame(int width, int height, const std::vector<DcComponent>& components);

// Fills frame's coefficients from the file's scans as libjpeg's whole decode leaves them. False where
// the file holds anything but plainly valid progressive Huffman scans up to its end-of-image marker (a
// table libjpeg refuses, a scan that ends early, restart markers out of order, an inconsistent scan
// order, a quantisation table defined after the first scan, an unknown marker), where some component's
// DC is never sent, or where the whole decode would smooth blocks: then only that decode gives its
// pixels.
bool readDcScans(QIODevice& device, DcFrame& frame);

} // namespace velsaro::detail
