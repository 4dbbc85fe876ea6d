#include "picture/jpeg_decompressor.h"

#include "picture/format_reading.h"
#include "picture/jpeg_baseline_writer.h"
#include "picture/jpeg_fitted_decode.h"
#include "picture/jpeg_stream.h"
#include "picture/picture_file.h"

#include <QBuffer>
#include <QIODevice>

#include <algorithm>
#include <csetjmp>
#include <cstring>

#include <malloc.h>

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
// not taken this way. A multi-scan decode holds the coefficients of the rows it decodes, within the
// bound every reader keeps.
constexpr long singleScanMemoryBytes = 64L * 1024 * 1024;

// Creates the decompressor over the device, under the error jump; false when that failed.
bool createDecompressor(jpeg_decompress_struct* info, ErrorManager* errors, DeviceSource* source,
                        QIODevice* device)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_create_decompress(info);
    info->mem->max_memory_to_use = singleScanMemoryBytes;
    setDeviceSource(info, source, device);
    return true;
}

// Reads the headers up to the first scan from where the source stands; false when that failed.
bool readHeader(jpeg_decompress_struct* info, ErrorManager* errors)
{
    if (setjmp(errors->jump))
        return false;
    return jpeg_read_header(info, TRUE) == JPEG_HEADER_OK;
}

// Reads the headers again from the file's start, the frame's height field read as height.
bool readHeaderAgain(jpeg_decompress_struct* info, ErrorManager* errors, DeviceSource* source,
                     qint64 heightPosition, int height)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_abort_decompress(info);
    restartWithHeight(source, heightPosition, height);
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

// How many rows of a multi-scan picture libjpeg decodes for a region that ends at endRow: the MCU rows
// that hold it and three more, so that every row of it is made as in a whole decode. The upsampler
// reads the first rows of the next MCU row, and block smoothing (in a file whose scans leave low
// coefficients unrefined) the DC values of two block rows below that, which for a component sampled
// at half the height are two more MCU rows.
int rowsDecoded(const jpeg_decompress_struct& info, int endRow)
{
    const qint64 mcuRows = 8 * qint64(std::max(info.max_v_samp_factor, 1));
    const qint64 rows = ((endRow + mcuRows - 1) / mcuRows + 3) * mcuRows;
    return int(std::min<qint64>(rows, info.image_height));
}

// libjpeg allocates a multi-scan region's coefficient rows afresh for every picture, megabytes per
// component, and so do the region's own scan readers. glibc maps an allocation that large anew each
// time (its threshold rises only to the size last freed, which the next one equals) and a worker
// thread's heap gives freed pages back, so every picture paid a page fault per 4 KiB, more than its
// decode. Below these bounds they stay in the heap and are used again.
void keepCoefficientRowsInHeap()
{
    static const bool kept = [] {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
        return true;
    }();
    (void)kept;
}

// Reads every scan's leading part into the coefficients, then starts the output of them all. The frame
// declares only the rows the region needs, so libjpeg stops each scan after them; the rest of the scan
// is passed to its next marker.
void readLeadingParts(jpeg_decompress_struct* info)
{
    info->buffered_image = TRUE;
    jpeg_start_decompress(info);
    for (;;) {
        const int status = jpeg_consume_input(info);
        if (status == JPEG_REACHED_EOI)
            break;
        if (status == JPEG_SCAN_COMPLETED)
            skipRestOfScan(info);
    }
    jpeg_start_output(info, info->input_scan_number);
}

struct Region {
    int endColumn;
    int firstRow;
    int endRow; // already cut to the picture's height
};

// With fancy upsampling the last column of a crop is made without its right neighbour; a crop that
// reaches an MCU past the columns used keeps them equal to a whole decode's.
void cropTo(jpeg_decompress_struct* info, int endColumn)
{
    const JDIMENSION mcuColumns = 8 * JDIMENSION(std::max(info->max_h_samp_factor, 1));
    if (info->output_width > JDIMENSION(endColumn) + mcuColumns) {
        JDIMENSION offset = 0;
        JDIMENSION width = JDIMENSION(endColumn) + mcuColumns;
        jpeg_crop_scanline(info, &offset, &width);
    }
}

// Decodes the region into rows of the target image; false on a libjpeg error. Plain data only.
bool decodeRows(jpeg_decompress_struct* info, ErrorManager* errors, Region region, uchar* target,
                qsizetype targetStride, int bytesPerPixel)
{
    if (setjmp(errors->jump))
        return false;
    if (jpeg_has_multiple_scans(info))
        readLeadingParts(info);
    else
        jpeg_start_decompress(info);
    cropTo(info, region.endColumn);
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

// Qt's reader: the accurate integer DCT and fancy upsampling (libjpeg's defaults), RGB32 written by
// libjpeg in the byte order of this machine.
void setQtOutput(jpeg_decompress_struct* info)
{
    info->dct_method = JDCT_ISLOW;
    info->do_fancy_upsampling = TRUE;
    info->out_color_space = isGrey(*info) ? JCS_GRAYSCALE
                                          : (Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB);
}

// At 1/8 scale libjpeg decodes a component sampled at a half of the width and height of another (the
// chroma of 4:2:0) with its 2 x 2 inverse DCT, and upsamples less; one sampled at a quarter of both
// with its 4 x 4 one, which reads more of each block than the coefficients kept (jpeg_dc_scans.h).
bool isAnyBlockFourPixelsWide(const jpeg_decompress_struct& info)
{
    for (int c = 0; c < info.num_components; ++c) {
        const jpeg_component_info& component = info.comp_info[c];
        if (info.max_h_samp_factor % (4 * component.h_samp_factor) == 0 &&
            info.max_v_samp_factor % (4 * component.v_samp_factor) == 0)
            return true;
    }
    return false;
}

// A progressive Huffman-coded file of 8-bit YCbCr, RGB or grey samples, whose fitted decode is at 1/8
// scale, the smallest, with the 1 x 1 or 2 x 2 inverse DCT for every component: those read the DC
// coefficient, and the latter a few AC coefficients.
bool isDcEnough(const jpeg_decompress_struct& info, QSize fitted)
{
    const bool isCoded = info.progressive_mode && !info.arith_code && info.data_precision == 8 &&
                         !isAnyBlockFourPixelsWide(info);
    const qint64 eighthWidth = (qint64(info.image_width) + 7) / 8;
    const qint64 eighthHeight = (qint64(info.image_height) + 7) / 8;
    return isCoded && (isColour(info) || isGrey(info)) && eighthWidth >= fitted.width() &&
           eighthHeight >= fitted.height();
}

} // namespace

// libjpeg's decompressor and its error manager, which is set before anything can fail.
struct JpegDecompressor::Libjpeg {
    Libjpeg()
    {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = jumpBack;
        errors.base.output_message = stayQuiet;
        // Counted, for a multi-scan region: a negative level is a warning.
        errors.base.emit_message = [](j_common_ptr common, int level) {
            if (level < 0)
                ++common->err->num_warnings;
        };
    }
    ~Libjpeg() { jpeg_destroy_decompress(&info); } // does nothing while it was never created

    jpeg_decompress_struct info{};
    ErrorManager errors{};
    DeviceSource source{};
};

JpegDecompressor::JpegDecompressor(QIODevice& device) : libjpeg_(std::make_unique<Libjpeg>())
{
    jpeg_decompress_struct& info = libjpeg_->info;
    if (!createDecompressor(&info, &libjpeg_->errors, &libjpeg_->source, &device) ||
        !readHeader(&info, &libjpeg_->errors))
        return;
    isHeaderRead_ = true;
    size_ = QSize(int(info.image_width), int(info.image_height));
    isRegionDecodable_ = isColour(info) || isGrey(info);
    bufferedBytes_ = jpeg_has_multiple_scans(&info) ? coefficientBytes(info) : 0;
}

JpegDecompressor::~JpegDecompressor() = default;

bool JpegDecompressor::isFrameCut(int endRow)
{
    jpeg_decompress_struct& info = libjpeg_->info;
    if (bufferedBytes_ == 0)
        return true;
    keepCoefficientRowsInHeap();
    info.mem->max_memory_to_use = maxDecodingBytes;
    const int rows = rowsDecoded(info, endRow);
    if (rows == size_.height())
        return true;
    const qint64 heightPosition = frameHeightPosition(*libjpeg_->source.device);
    if (heightPosition < 0 || !readHeaderAgain(&info, &libjpeg_->errors, &libjpeg_->source, heightPosition, rows))
        return false;
    // The same frame but for its height, or the walk found another field than libjpeg's.
    return int(info.image_height) == rows && int(info.image_width) == size_.width() &&
           jpeg_has_multiple_scans(&info) && (isColour(info) || isGrey(info));
}

QImage JpegDecompressor::decodeRegion(int endColumn, int firstRow, int endRow)
{
    if (!isRegionDecodable_)
        return {};
    const QImage fromScans = decodeRegionFromScans(endColumn, firstRow, endRow);
    if (!fromScans.isNull() || !isFrameCut(endRow))
        return fromScans;
    jpeg_decompress_struct& info = libjpeg_->info;
    setQtOutput(&info);
    const bool grey = isGrey(info);
    const int width = std::min(size_.width(), endColumn);
    const int height = std::min(size_.height(), endRow);
    QImage image(width, height, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(0);
    const Region region{endColumn, firstRow, height};
    if (!decodeRows(&info, &libjpeg_->errors, region, image.bits(), image.bytesPerLine(), grey ? 1 : 4))
        return {};
    // Corrupt data that libjpeg decodes anyway (a scan ended early, restart markers out of order) can
    // make a multi-scan region's rows depend on the rows after it: such a file is decoded whole.
    if (bufferedBytes_ > 0 && info.err->num_warnings > 0)
        return {};
    return image;
}

QImage JpegDecompressor::decodeRegionFromScans(int endColumn, int firstRow, int endRow)
{
    const jpeg_decompress_struct& info = libjpeg_->info;
    if (!isRegionDecodable_ || !info.progressive_mode || info.arith_code || info.data_precision != 8)
        return {};
    // The MCU columns and rows that hold the region and two pixels more each: libjpeg's fancy upsampling
    // of a region's last odd column (or row) reads the chroma sample after it, which must be one the
    // written picture holds rather than its edge repeated; no other upsampling reads past a pixel's own
    // sample. Blocks are not smoothed (readRegionScans), so no DC values further away are read.
    const int mcuWidth = 8 * std::max(info.max_h_samp_factor, 1);
    const int mcuHeight = 8 * std::max(info.max_v_samp_factor, 1);
    const int mcusWide = (endColumn + 2 + mcuWidth - 1) / mcuWidth;
    const int mcusHigh = (endRow + 2 + mcuHeight - 1) / mcuHeight;
    keepCoefficientRowsInHeap();
    QBuffer baselineFile;
    baselineFile.setData(regionOnlyJpeg(*libjpeg_->source.device, info, mcusWide, mcusHigh));
    if (baselineFile.data().isEmpty() || !baselineFile.open(QIODevice::ReadOnly))
        return {};
    JpegDecompressor baseline(baselineFile);
    if (!baseline.isHeaderRead_)
        return {};
    // Without the file's JFIF or Adobe marker libjpeg may take other colours than the file's.
    baseline.libjpeg_->info.jpeg_color_space = info.jpeg_color_space;
    return baseline.decodeRegion(endColumn, firstRow, endRow);
}

QImage JpegDecompressor::decodeFittedFromDc(QSize fitted)
{
    if (!isHeaderRead_ || !isDcEnough(libjpeg_->info, fitted))
        return {};
    QBuffer baselineFile;
    baselineFile.setData(dcOnlyJpeg(*libjpeg_->source.device, libjpeg_->info));
    if (baselineFile.data().isEmpty() || !baselineFile.open(QIODevice::ReadOnly))
        return {};
    JpegDecompressor baseline(baselineFile);
    if (!baseline.isHeaderRead_)
        return {};
    // Without the file's JFIF or Adobe marker libjpeg may take other colours than the file's.
    baseline.libjpeg_->info.jpeg_color_space = libjpeg_->info.jpeg_color_space;
    return baseline.decodeFittedWhole(fitted);
}

QImage JpegDecompressor::decodeFittedWhole(QSize fitted)
{
    return isHeaderRead_ ? detail::decodeFitted(libjpeg_->info, libjpeg_->errors.jump, fitted) : QImage();
}

} // namespace velsaro::detail
