#include "picture/jpeg_decompressor.h"

#include "picture/format_reading.h"
#include "picture/jpeg_fitted_decode.h"

#include <QIODevice>

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h uses FILE without including it
#include <cstring>

#include <jpeglib.h>

namespace velsaro::detail {

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

// libjpeg's input read from the device as it asks for it, from the start: the file is never held
// whole, and nothing after the last byte decoded is read.
struct DeviceSource {
    jpeg_source_mgr base;
    QIODevice* device;
    qint64 position; // of the byte after the buffer
    JOCTET buffer[64 * 1024];
};

DeviceSource* deviceSource(j_decompress_ptr info) { return reinterpret_cast<DeviceSource*>(info->src); }

void startSource(j_decompress_ptr) {}
void endSource(j_decompress_ptr) {}

boolean fillBuffer(j_decompress_ptr info)
{
    DeviceSource* source = deviceSource(info);
    static const JOCTET endOfImage[] = {0xFF, 0xD9};
    const qint64 read = readAt(*source->device, source->position, reinterpret_cast<char*>(source->buffer),
                               qint64(sizeof(source->buffer)));
    if (read <= 0) {
        // As libjpeg's own sources do: an end marker where the file ends, so a cut file decodes grey.
        source->base.next_input_byte = endOfImage;
        source->base.bytes_in_buffer = sizeof(endOfImage);
        return TRUE;
    }
    source->position += read;
    source->base.next_input_byte = source->buffer;
    source->base.bytes_in_buffer = std::size_t(read);
    return TRUE;
}

void skipBytes(j_decompress_ptr info, long count)
{
    DeviceSource* source = deviceSource(info);
    if (count <= 0)
        return;
    if (std::size_t(count) <= source->base.bytes_in_buffer) {
        source->base.next_input_byte += count;
        source->base.bytes_in_buffer -= std::size_t(count);
        return;
    }
    source->position += qint64(count) - qint64(source->base.bytes_in_buffer);
    source->base.bytes_in_buffer = 0;
}

void setDeviceSource(jpeg_decompress_struct* info, DeviceSource* source, QIODevice* device)
{
    source->device = device;
    source->position = 0;
    source->base.next_input_byte = nullptr;
    source->base.bytes_in_buffer = 0;
    source->base.init_source = startSource;
    source->base.fill_input_buffer = fillBuffer;
    source->base.skip_input_data = skipBytes;
    source->base.resync_to_restart = jpeg_resync_to_restart;
    source->base.term_source = endSource;
    info->src = &source->base;
}

// Creates the decompressor over the device and reads the headers up to the first scan, all under the
// error jump; false when any of it failed.
bool readHeader(jpeg_decompress_struct* info, ErrorManager* errors, DeviceSource* source, QIODevice* device)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_create_decompress(info);
    info->mem->max_memory_to_use = decoderMemoryBytes;
    setDeviceSource(info, source, device);
    return jpeg_read_header(info, TRUE) == JPEG_HEADER_OK;
}

bool isGrey(const jpeg_decompress_struct& info)
{
    return info.num_components == 1 && info.jpeg_color_space == JCS_GRAYSCALE;
}

// YCbCr or RGB, not CMYK or YCCK.
bool isColour(const jpeg_decompress_struct& info)
{
    return info.num_components == 3 && (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB);
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
        const qint64 roundedWide =
            (blocksWide + component.h_samp_factor - 1) / component.h_samp_factor * component.h_samp_factor;
        const qint64 roundedHigh =
            (blocksHigh + component.v_samp_factor - 1) / component.v_samp_factor * component.v_samp_factor;
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
bool decodeRows(jpeg_decompress_struct* info, ErrorManager* errors, Region region, uchar* target,
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

// libjpeg's decompressor and its error manager, which is set before anything can fail.
struct JpegDecompressor::Libjpeg {
    Libjpeg()
    {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = jumpBack;
        errors.base.output_message = stayQuiet;
        errors.base.emit_message = [](j_common_ptr, int) {};
    }
    ~Libjpeg() { jpeg_destroy_decompress(&info); } // does nothing while it was never created

    jpeg_decompress_struct info{};
    ErrorManager errors{};
    DeviceSource source{};
};

JpegDecompressor::JpegDecompressor(QIODevice& device) : libjpeg_(std::make_unique<Libjpeg>())
{
    jpeg_decompress_struct& info = libjpeg_->info;
    if (!readHeader(&info, &libjpeg_->errors, &libjpeg_->source, &device))
        return;
    isHeaderRead_ = true;
    size_ = QSize(int(info.image_width), int(info.image_height));
    const bool isSingleScan = !jpeg_has_multiple_scans(&info);
    isRegionDecodable_ = isSingleScan && (isColour(info) || isGrey(info));
    bufferedBytes_ = isSingleScan ? 0 : coefficientBytes(info);
}

JpegDecompressor::~JpegDecompressor() = default;

QImage JpegDecompressor::decodeRegion(int endColumn, int firstRow, int endRow)
{
    if (!isRegionDecodable_)
        return {};
    jpeg_decompress_struct& info = libjpeg_->info;
    const bool grey = isGrey(info);
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
    if (!decodeRows(&info, &libjpeg_->errors, region, image.bits(), image.bytesPerLine(), grey ? 1 : 4))
        return {};
    return image;
}

QImage JpegDecompressor::decodeFitted(QSize fitted)
{
    return isHeaderRead_ ? detail::decodeFitted(libjpeg_->info, libjpeg_->errors.jump, fitted) : QImage();
}

} // namespace velsaro::detail
