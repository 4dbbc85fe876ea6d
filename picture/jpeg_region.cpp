#include "picture/jpeg_region.h"

#include <QtEndian>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace velsaro {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back to the
// setjmp of the function that called libjpeg. Those functions hold only plain data, so the jump
// skips no destructor. Warnings (corrupt data that still decodes) are ignored, as Qt ignores them.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void jumpBack(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }
void stayQuiet(j_common_ptr) {}

// Beyond what a single-scan decode of the key's rows needs; a file whose decode asks for more is
// not taken this way.
constexpr long decoderMemoryBytes = 64L * 1024 * 1024;

// Owns libjpeg's decompressor; the error manager is set before anything can fail.
class Decompressor {
public:
    Decompressor()
    {
        info_.err = jpeg_std_error(&errors_.base);
        errors_.base.error_exit = jumpBack;
        errors_.base.output_message = stayQuiet;
        errors_.base.emit_message = [](j_common_ptr, int) {};
    }
    ~Decompressor() { jpeg_destroy_decompress(&info_); } // does nothing while it was never created
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct& info() { return info_; }
    ErrorManager& errors() { return errors_; }

private:
    jpeg_decompress_struct info_{};
    ErrorManager errors_{};
};

// Creates the decompressor over the bytes and reads the headers up to the first scan, all under the
// error jump; false when any of it failed.
bool readHeader(jpeg_decompress_struct* info, ErrorManager* errors, const QByteArray* bytes)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_create_decompress(info);
    info->mem->max_memory_to_use = decoderMemoryBytes;
    jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(bytes->constData()),
                 static_cast<unsigned long>(bytes->size()));
    return jpeg_read_header(info, TRUE) == JPEG_HEADER_OK;
}

qint64 coefficientBytes(const jpeg_decompress_struct& info)
{
    qint64 total = 0;
    for (int c = 0; c < info.num_components; ++c) {
        const jpeg_component_info& component = info.comp_info[c];
        const qint64 maxH = std::max(info.max_h_samp_factor, 1);
        const qint64 maxV = std::max(info.max_v_samp_factor, 1);
        const qint64 blocksWide = (qint64(info.image_width) * component.h_samp_factor + 8 * maxH - 1) / (8 * maxH);
        const qint64 blocksHigh = (qint64(info.image_height) * component.v_samp_factor + 8 * maxV - 1) / (8 * maxV);
        const qint64 roundedWide = (blocksWide + component.h_samp_factor - 1) / component.h_samp_factor * component.h_samp_factor;
        const qint64 roundedHigh = (blocksHigh + component.v_samp_factor - 1) / component.v_samp_factor * component.v_samp_factor;
        total += roundedWide * roundedHigh * qint64(sizeof(JBLOCK));
    }
    return total;
}

struct Region {
    int endColumn;
    int firstRow;
    int endRow; // already cut to the picture's height
};

// Decodes the region into rows of the target image; false on a libjpeg error. Plain data only.
bool decodeRegion(jpeg_decompress_struct* info, ErrorManager* errors, Region region, uchar* target,
                  qsizetype targetStride, int bytesPerPixel)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_start_decompress(info);
    // With fancy upsampling the last column of a crop is made without its right neighbour; a crop
    // that reaches past the columns used keeps them equal to a whole decode's.
    if (info->output_width > JDIMENSION(region.endColumn)) {
        JDIMENSION offset = 0;
        JDIMENSION width = JDIMENSION(region.endColumn);
        jpeg_crop_scanline(info, &offset, &width);
    }
    const JDIMENSION rowBytes = info->output_width * JDIMENSION(bytesPerPixel);
    JSAMPARRAY row = (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, rowBytes, 1);
    const std::size_t copied = std::size_t(std::min<JDIMENSION>(info->output_width, JDIMENSION(region.endColumn))) *
                               std::size_t(bytesPerPixel);
    jpeg_skip_scanlines(info, JDIMENSION(std::min(region.firstRow, region.endRow)));
    while (info->output_scanline < JDIMENSION(region.endRow)) {
        const JDIMENSION y = info->output_scanline;
        if (jpeg_read_scanlines(info, row, 1) != 1)
            return false;
        std::memcpy(target + qsizetype(y) * targetStride, row[0], copied);
    }
    jpeg_abort_decompress(info);
    return true;
}

} // namespace

JpegLayout jpegLayout(const QByteArray& bytes)
{
    Decompressor decompressor;
    jpeg_decompress_struct& info = decompressor.info();
    JpegLayout layout;
    if (!readHeader(&info, &decompressor.errors(), &bytes))
        return layout;
    layout.isReadable = true;
    layout.width = int(info.image_width);
    layout.height = int(info.image_height);
    layout.isSingleScan = !jpeg_has_multiple_scans(&info);
    layout.isColourOrGrey = (info.num_components == 3 && (info.jpeg_color_space == JCS_YCbCr ||
                                                          info.jpeg_color_space == JCS_RGB)) ||
                            (info.num_components == 1 && info.jpeg_color_space == JCS_GRAYSCALE);
    layout.bufferedBytes = layout.isSingleScan ? 0 : coefficientBytes(info);
    return layout;
}

QImage readJpegRegion(const QByteArray& bytes, int endColumn, int firstRow, int endRow)
{
    Decompressor decompressor;
    jpeg_decompress_struct& info = decompressor.info();
    if (!readHeader(&info, &decompressor.errors(), &bytes) || jpeg_has_multiple_scans(&info))
        return {};
    const bool grey = info.num_components == 1 && info.jpeg_color_space == JCS_GRAYSCALE;
    const bool colour = info.num_components == 3 &&
                        (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB);
    if (!grey && !colour)
        return {};
    // Qt's reader: the accurate integer DCT and fancy upsampling (libjpeg's defaults), RGB32 written
    // by libjpeg in the byte order of this machine.
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    info.out_color_space = grey ? JCS_GRAYSCALE
                                : (Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB);
    const int width = std::min(int(info.image_width), endColumn);
    const int height = std::min(int(info.image_height), endRow);
    QImage image(width, height, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(0);
    const Region region{endColumn, firstRow, height};
    if (!decodeRegion(&info, &decompressor.errors(), region, image.bits(), image.bytesPerLine(), grey ? 1 : 4))
        return {};
    return image;
}

} // namespace velsaro
