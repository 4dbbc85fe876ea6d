#include "picture/jpeg_fitted_decode.h"

#include "picture/area_fit.h"
#include "picture/picture_file.h"

namespace velsaro::detail {

namespace {

bool hasRgbOutput(const jpeg_decompress_struct& info)
{
    const bool isGrey = info.num_components == 1 && info.jpeg_color_space == JCS_GRAYSCALE;
    const bool isColour =
        info.num_components == 3 && (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB);
    return isGrey || isColour;
}

// The smallest M of 1..8 whose M/8 scale gives at least fitted, with the settings of Qt's reader
// (accurate integer DCT, fancy upsampling) and RGB32 rows; then starts the decode. Plain data only,
// since libjpeg's errors jump here.
bool startScaled(jpeg_decompress_struct& info, std::jmp_buf& jump, QSize fitted)
{
    if (setjmp(jump))
        return false;
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    info.scale_denom = 8;
    for (info.scale_num = 1; info.scale_num < 8; ++info.scale_num) {
        jpeg_calc_output_dimensions(&info);
        if (info.output_width >= JDIMENSION(fitted.width()) && info.output_height >= JDIMENSION(fitted.height()))
            break;
    }
    // A progressive file holds its coefficients, already weighed against this limit, whatever the scale.
    info.mem->max_memory_to_use = long(maxDecodingBytes);
    return jpeg_start_decompress(&info);
}

// Each row in turn to fitter; false on a libjpeg error. Plain data only, as above.
bool readRows(jpeg_decompress_struct& info, std::jmp_buf& jump, AreaFitter& fitter)
{
    if (setjmp(jump))
        return false;
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.output_width * 4, 1);
    while (info.output_scanline < info.output_height) {
        if (jpeg_read_scanlines(&info, row, 1) != 1)
            return false;
        fitter.addRow(reinterpret_cast<const QRgb*>(row[0]));
    }
    jpeg_abort_decompress(&info);
    return true;
}

} // namespace

QImage decodeFitted(jpeg_decompress_struct& info, std::jmp_buf& jump, QSize fitted)
{
    if (!hasRgbOutput(info) || !startScaled(info, jump, fitted))
        return {};
    AreaFitter fitter(QSize(int(info.output_width), int(info.output_height)), fitted);
    return readRows(info, jump, fitter) ? fitter.result() : QImage();
}

} // namespace velsaro::detail
