// The coefficients of a progressive Huffman-coded JPEG's top-left region, as libjpeg's whole decode
// leaves them, from the leading part of each scan only. Every scan stores its blocks in row order: the
// blocks of the region's rows are decoded, across the picture's width, and the rest of the scan is
// passed to its next marker. Of the blocks in the region's columns every coefficient is kept; of the
// others only which coefficients are not zero, which a later refinement scan needs to know how many
// correction bits each block carries.
#pragma once

#include "picture/jpeg_scans.h"

#include <cstdint>
#include <vector>

class QIODevice;

namespace velsaro::detail {

struct RegionComponent {
    int keptWide = 0; // block columns whose coefficients are kept: those of the region's MCU columns
    int rowsHigh = 0; // block rows decoded: those of the region's MCU rows
    std::vector<std::int16_t> coefficients; // keptWide x rowsHigh blocks, row by row, 64 in zigzag order each
    std::vector<std::uint64_t> nonzero;     // storedWide x rowsHigh blocks: a bit per zigzag coefficient

    std::size_t blockAt(int x, int y) const { return (std::size_t(y) * std::size_t(keptWide) + std::size_t(x)) * 64; }
    const std::int16_t* block(int x, int y) const { return coefficients.data() + blockAt(x, y); }
    std::int16_t* block(int x, int y) { return coefficients.data() + blockAt(x, y); }
};

struct RegionFrame {
    FrameLayout layout;
    int mcusWide = 0; // the region's MCU columns and rows, from the top left
    int mcusHigh = 0;
    std::vector<RegionComponent> components; // in the frame header's order
};

// The region of mcusWide x mcusHigh MCUs of the frame, its coefficients all 0; no components where they
// would take more than the memory any decode may.
RegionFrame regionFrame(const FrameLayout& layout, int mcusWide, int mcusHigh);

// How a refinement scan's new coefficient finds its place among the zeros: by the processor's bit deposit
// where it has a fast one, or by counting, which every processor can. Both place it alike.
enum class ZeroFinding { Fastest, Counting };

// Fills the region's coefficients from the file's scans as libjpeg's whole decode leaves them. False as
// walkScans says, where the region's part of a scan ends early, a coefficient is beyond 16 bits, or the
// whole decode would smooth blocks: then only libjpeg's own decode gives its pixels.
bool readRegionScans(QIODevice& device, RegionFrame& frame, ZeroFinding finding = ZeroFinding::Fastest);

} // namespace velsaro::detail
