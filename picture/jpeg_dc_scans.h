// The DC coefficients of a progressive Huffman-coded JPEG, read from its DC scans alone: every AC scan
// is passed to its next marker, and only 2 bytes a block are held. At 1/8 scale libjpeg's inverse DCT
// reads a block's DC coefficient and nothing else, unless it smooths blocks, which it does while
// coefficients 1..9 of some component are not fully refined.
#pragma once

#include <cstdint>
#include <vector>

class QIODevice;

namespace velsaro::detail {

struct DcComponent {
    int id = 0;
    int h = 1; // sampling factors
    int v = 1;
    int blocksWide = 0; // the blocks that hold samples: what a scan of this component alone codes
    int blocksHigh = 0;
    int storedWide = 0; // rounded up to whole MCUs: what an interleaved scan codes
    int storedHigh = 0;
    std::vector<std::int16_t> dc; // storedWide x storedHigh, row by row; 0 where no scan wrote
};

struct DcFrame {
    int width = 0;
    int height = 0;
    int maxH = 1;
    int maxV = 1;
    std::vector<DcComponent> components; // in the frame header's order

    int mcusWide() const { return (width + 8 * maxH - 1) / (8 * maxH); }
    int mcusHigh() const { return (height + 8 * maxV - 1) / (8 * maxV); }
};

// The frame of width x height and these components (id and sampling factors each), its block counts
// worked out as libjpeg works them out and its DC coefficients all 0.
DcFrame dcFrame(int width, int height, const std::vector<DcComponent>& components);

// Fills frame's DC coefficients from the file's scans as libjpeg's whole decode leaves them. False where
// the file holds anything but plainly valid progressive Huffman scans up to its end-of-image marker (a
// table libjpeg refuses, a scan that ends early, restart markers out of order, an inconsistent scan
// order, a quantisation table defined after the first scan, an unknown marker), where some component's
// DC is never sent, or where the whole decode would smooth blocks: then only that decode gives its
// pixels.
bool readDcScans(QIODevice& device, DcFrame& frame);

} // namespace velsaro::detail
