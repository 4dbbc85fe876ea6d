// JPEG files through Qt's own writer, and through libjpeg for the layouts Qt does not write: the tests
// need real JPEGs, not exact bytes.
#include "tests/support/picture_files.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace velsaro::testing {

QByteArray jpeg(const QImage& picture, JpegColour colour, int quality)
{
    // A greyscale QImage is written as a one-component JPEG.
    const QImage source = colour == JpegColour::Grey
                              ? picture.convertToFormat(QImage::Format_Grayscale8)
                              : picture.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(source))
        return {};
    return bytes;
}

JpegEncoding progressiveEncoding(int hSampling, int vSampling, JpegEncoding::Colours colours, int restartRows)
{
    return {colours, hSampling, vSampling, true, restartRows};
}

JpegEncoding scriptedEncoding(JpegScript script, int hSampling, int vSampling, int restartRows)
{
    return {JpegEncoding::Colours::YCbCr, hSampling, vSampling, false, restartRows, 90, jpegScript(script)};
}

std::vector<JpegScan> jpegScript(JpegScript script)
{
    switch (script) {
    case JpegScript::SpectralOnly:
        return {{{0, 1, 2}, 0, 0}, {{0}, 1, 5}, {{0}, 6, 63}, {{1}, 1, 63}, {{2}, 1, 2}, {{2}, 3, 63}};
    case JpegScript::ThreeSteps:
        return {{{0, 1, 2}, 0, 0, 0, 2}, {{0}, 1, 63, 0, 2}, {{1}, 1, 63, 0, 2}, {{2}, 1, 63, 0, 2},
                {{0, 1, 2}, 0, 0, 2, 1}, {{0}, 1, 63, 2, 1}, {{1}, 1, 63, 2, 1}, {{2}, 1, 63, 2, 1},
                {{0, 1, 2}, 0, 0, 1, 0}, {{0}, 1, 63, 1, 0}, {{1}, 1, 63, 1, 0}, {{2}, 1, 63, 1, 0}};
    case JpegScript::Unrefined:
        return {{{0, 1, 2}, 0, 0, 0, 1}, {{0}, 1, 9, 0, 2}, {{1}, 1, 63, 0, 1}, {{2}, 1, 63, 0, 1}};
    case JpegScript::SequentialScans:
        return {{{0}}, {{1}}, {{2}}};
    case JpegScript::DcScanEach:
        return {{{0}, 0, 0, 0, 1}, {{1}, 0, 0, 0, 1}, {{2}, 0, 0, 0, 1}, {{0}, 1, 63}, {{1}, 1, 63},
                {{2}, 1, 63},      {{2}, 0, 0, 1, 0}, {{0}, 0, 0, 1, 0}, {{1}, 0, 0, 1, 0}};
    }
    return {};
}

namespace {

struct EncoderErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

std::vector<jpeg_scan_info> scanScript(const std::vector<JpegScan>& scans)
{
    std::vector<jpeg_scan_info> script;
    for (const JpegScan& scan : scans) {
        jpeg_scan_info info{};
        info.comps_in_scan = int(scan.components.size());
        for (std::size_t i = 0; i < scan.components.size(); ++i)
            info.component_index[i] = scan.components[i];
        info.Ss = scan.Ss;
        info.Se = scan.Se;
        info.Ah = scan.Ah;
        info.Al = scan.Al;
        script.push_back(info);
    }
    return script;
}

// The sampling, quality, progression or scan script and restart interval of encoding; sampling only
// where the picture has chroma to subsample. The script must outlive the compression.
void applyEncoding(jpeg_compress_struct* info, const JpegEncoding& encoding,
                   const std::vector<jpeg_scan_info>& script)
{
    jpeg_set_defaults(info);
    if (encoding.colours == JpegEncoding::Colours::YCbCr) {
        info->comp_info[0].h_samp_factor = encoding.hSampling;
        info->comp_info[0].v_samp_factor = encoding.vSampling;
    }
    jpeg_set_quality(info, encoding.quality, TRUE);
    if (encoding.progressive)
        jpeg_simple_progression(info);
    if (!script.empty()) {
        info->scan_info = script.data();
        info->num_scans = int(script.size());
    }
    info->restart_in_rows = encoding.restartRows;
}

// libjpeg's fatal errors jump back here instead of ending the process; nothing between libjpeg and
// this frame needs destroying, and the script made before the jump is freed as the function returns.
bool compress(jpeg_compress_struct* info, EncoderErrors* errors, const JpegEncoding& encoding,
              const std::vector<JSAMPROW>* rows)
{
    const std::vector<jpeg_scan_info> script = scanScript(encoding.scans);
    if (setjmp(errors->jump))
        return false;
    applyEncoding(info, encoding, script);
    jpeg_start_compress(info, TRUE);
    jpeg_write_scanlines(info, const_cast<JSAMPARRAY>(rows->data()), info->image_height);
    jpeg_finish_compress(info);
    return true;
}

// One row of the photo-like picture, red, green and blue.
void photoLikeRow(std::vector<unsigned char>& row, int width, int y)
{
    for (int x = 0; x < width; ++x) {
        const unsigned hash = (unsigned(x) * 2654435761u) ^ (unsigned(y) * 2246822519u);
        const int grain = int((hash >> 13) & 15u) - 8;
        const int band = ((x / 7 + y / 5) & 255);
        row[3 * std::size_t(x)] = (unsigned char)qBound(0, band / 2 + 60 + grain, 255);
        row[3 * std::size_t(x) + 1] = (unsigned char)qBound(0, ((x ^ y) >> 4 & 127) + 50 + grain, 255);
        row[3 * std::size_t(x) + 2] = (unsigned char)qBound(0, 200 - band / 3 + grain, 255);
    }
}

bool compressRows(jpeg_compress_struct* info, EncoderErrors* errors, const JpegEncoding& encoding,
                  std::vector<unsigned char>* row)
{
    const std::vector<jpeg_scan_info> script = scanScript(encoding.scans);
    if (setjmp(errors->jump))
        return false;
    applyEncoding(info, encoding, script);
    jpeg_start_compress(info, TRUE);
    JSAMPROW rows[1] = {row->data()};
    while (info->next_scanline < info->image_height) {
        photoLikeRow(*row, int(info->image_width), int(info->next_scanline));
        jpeg_write_scanlines(info, rows, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

} // namespace

bool writePhotoLikeJpeg(const QString& path, int width, int height, const JpegEncoding& encoding)
{
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (file == nullptr)
        return false;
    jpeg_compress_struct info{};
    EncoderErrors errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = [](j_common_ptr common) {
        std::longjmp(reinterpret_cast<EncoderErrors*>(common->err)->jump, 1);
    };
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    std::vector<unsigned char> row(std::size_t(width) * 3);
    const bool written = compressRows(&info, &errors, encoding, &row);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0 && written;
}

QByteArray jpegEncoded(const QImage& picture, const JpegEncoding& encoding)
{
    const bool grey = encoding.colours == JpegEncoding::Colours::Grey;
    const QImage source = picture.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    const int components = grey ? 1 : (encoding.colours == JpegEncoding::Colours::Cmyk ? 4 : 3);
    std::vector<unsigned char> samples(std::size_t(source.width()) * source.height() * components);
    std::vector<JSAMPROW> rows(std::size_t(source.height()));
    for (int y = 0; y < source.height(); ++y) {
        unsigned char* row = samples.data() + std::size_t(y) * source.width() * components;
        rows[y] = row;
        const uchar* line = source.constScanLine(y);
        for (int x = 0; x < source.width(); ++x) {
            if (components == 4) {
                for (int c = 0; c < 3; ++c)
                    row[4 * x + c] = line[3 * x + c];
                row[4 * x + 3] = 0;
            } else {
                for (int c = 0; c < components; ++c)
                    row[components * x + c] = line[components * x + c];
            }
        }
    }
    jpeg_compress_struct info{};
    EncoderErrors errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = [](j_common_ptr common) {
        std::longjmp(reinterpret_cast<EncoderErrors*>(common->err)->jump, 1);
    };
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(source.width());
    info.image_height = JDIMENSION(source.height());
    info.input_components = components;
    info.in_color_space = grey ? JCS_GRAYSCALE : (components == 4 ? JCS_CMYK : JCS_RGB);
    const bool written = compress(&info, &errors, encoding, &rows);
    jpeg_destroy_compress(&info);
    QByteArray bytes = written ? QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size)) : QByteArray();
    std::free(buffer);
    return bytes;
}

QByteArray withExifOrientation(const QByteArray& jpegFile, int orientation)
{
    // APP1: "Exif", a little-endian TIFF header and one directory with the one tag 0x0112 (SHORT).
    QByteArray exif("\xFF\xE1\x00\x22"
                    "Exif\0\0"
                    "II\x2A\x00\x08\x00\x00\x00"
                    "\x01\x00"
                    "\x12\x01\x03\x00\x01\x00\x00\x00\x00\x00\x00\x00"
                    "\x00\x00\x00\x00",
                    36);
    exif[4 + 6 + 8 + 2 + 8] = char(orientation);
    QByteArray result = jpegFile;
    result.insert(2, exif); // after the start-of-image marker
    return result;
}

} // namespace velsaro::testing
