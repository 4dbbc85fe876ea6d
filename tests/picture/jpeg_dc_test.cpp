// A progressive JPEG fitted from its DC scans alone against libjpeg's decode of all of it: the same
// pixels for every layout, and the whole decode wherever the DC scans cannot stand for it.
#include "picture/jpeg_decompressor.h"
#include "tests/support/picture_files.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <ostream>

namespace velsaro {
namespace {

using namespace velsaro::testing;
using Colours = JpegEncoding::Colours;

struct DcCase {
    const char* name;
    JpegEncoding encoding;
    int width;
    int height;
};

void PrintTo(const DcCase& layout, std::ostream* out) { *out << layout.name; }

enum class Path { FromDc, Whole };

// The file fitted to its size at 1/8 scale, so that every pixel of libjpeg's decode is compared, by a
// decompressor of its own.
QImage fitted(const QByteArray& bytes, Path path)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    detail::JpegDecompressor jpeg(buffer);
    const QSize size((jpeg.size().width() + 7) / 8, (jpeg.size().height() + 7) / 8);
    return path == Path::FromDc ? jpeg.decodeFittedFromDc(size) : jpeg.decodeFittedWhole(size);
}

QByteArray encoded(const DcCase& layout)
{
    return jpegEncoded(variedPicture(layout.width, layout.height, unsigned(layout.width + layout.height)),
                       layout.encoding);
}

class DcFittedJpeg : public ::testing::TestWithParam<DcCase> {};

TEST_P(DcFittedJpeg, HasThePixelsOfTheWholeDecode)
{
    const QByteArray bytes = encoded(GetParam());
    const QImage fromDc = fitted(bytes, Path::FromDc);
    ASSERT_FALSE(fromDc.isNull());
    EXPECT_EQ(fromDc, fitted(bytes, Path::Whole));
}

// Sizes that end inside an MCU; libjpeg's own progression refines DC and AC in two or more steps, which
// for the chroma of 4:2:0 decodes AC coefficients too (at quality 100 many of more than a byte).
INSTANTIATE_TEST_SUITE_P(
    Layouts, DcFittedJpeg,
    ::testing::Values(DcCase{"420_1001x1003", progressiveEncoding(2, 2), 1001, 1003},
                      DcCase{"444_999x601", progressiveEncoding(1, 1), 999, 601},
                      DcCase{"422_1001x603", progressiveEncoding(2, 1), 1001, 603},
                      DcCase{"440_700x905", progressiveEncoding(1, 2), 700, 905},
                      DcCase{"grey_1001x1003", progressiveEncoding(1, 1, Colours::Grey), 1001, 1003},
                      DcCase{"restarts_422_1203x901", progressiveEncoding(2, 1, Colours::YCbCr, 1), 1203, 901},
                      DcCase{"three_steps_restarts_1200x900", scriptedEncoding(JpegScript::ThreeSteps, 2, 1, 2), 1200, 900},
                      DcCase{"spectral_only_440_1001x1003", scriptedEncoding(JpegScript::SpectralOnly, 1, 2), 1001, 1003},
                      DcCase{"dc_scan_each_422_1001x1003", scriptedEncoding(JpegScript::DcScanEach, 2, 1), 1001, 1003},
                      DcCase{"dc_scan_each_restarts_444_999x601", scriptedEncoding(JpegScript::DcScanEach, 1, 1, 1), 999, 601},
                      DcCase{"restarts_420_1203x901", progressiveEncoding(2, 2, Colours::YCbCr, 1), 1203, 901},
                      DcCase{"quality_100_420_999x601", {Colours::YCbCr, 2, 2, true, 0, 100}, 999, 601},
                      DcCase{"three_steps_420_1001x1003", scriptedEncoding(JpegScript::ThreeSteps, 2, 2), 1001, 1003},
                      DcCase{"spectral_only_420_999x601", scriptedEncoding(JpegScript::SpectralOnly, 2, 2), 999, 601},
                      DcCase{"dc_each_restarts_420_1001x1003", scriptedEncoding(JpegScript::DcScanEach, 2, 2, 1), 1001, 1003}));

// A file the whole decode reads, which the scans alone do not make.
void expectWholeDecodeOnly(const QByteArray& bytes)
{
    EXPECT_FALSE(fitted(bytes, Path::Whole).isNull());
    EXPECT_TRUE(fitted(bytes, Path::FromDc).isNull());
}

TEST(DcFittedJpegRefused, WhereTheWholeDecodeSmoothsBlocks)
{
    expectWholeDecodeOnly(encoded({"unrefined", scriptedEncoding(JpegScript::Unrefined, 2, 1), 1001, 1003}));
}

// Its chroma at 1/8 scale comes from the 4 x 4 inverse DCT, which reads more than the coefficients kept.
TEST(DcFittedJpegRefused, WhereChromaIsDecodedAtFourTimesTheScale)
{
    expectWholeDecodeOnly(encoded({"chroma_quarter", scriptedEncoding(JpegScript::DcScanEach, 4, 4), 1001, 1003}));
}

// libjpeg's progression begins with the DC scan: its first restart marker given the second's number.
TEST(DcFittedJpegRefused, WhereRestartMarkersAreOutOfOrder)
{
    QByteArray bytes = encoded({"restarts", progressiveEncoding(2, 1, Colours::YCbCr, 1), 1001, 1003});
    const qsizetype firstRestart = bytes.indexOf(QByteArray("\xFF\xD0", 2));
    ASSERT_GT(firstRestart, bytes.indexOf(QByteArray("\xFF\xDA", 2)));
    bytes[firstRestart + 1] = char(0xD1);
    expectWholeDecodeOnly(bytes);
}

// The DC scan's last bytes cut, so that the scan ends at the next marker before its last blocks.
TEST(DcFittedJpegRefused, WhereTheDcScanEndsEarly)
{
    QByteArray bytes = encoded({"cut", progressiveEncoding(2, 1), 1001, 1003});
    const qsizetype secondScan = bytes.indexOf(QByteArray("\xFF\xDA", 2), bytes.indexOf(QByteArray("\xFF\xDA", 2)) + 2);
    const qsizetype tablesBefore = bytes.lastIndexOf(QByteArray("\xFF\xC4", 2), secondScan);
    const qsizetype scanEnd = tablesBefore > bytes.indexOf(QByteArray("\xFF\xDA", 2)) ? tablesBefore : secondScan;
    bytes.remove(scanEnd - 40, 40);
    expectWholeDecodeOnly(bytes);
}

} // namespace
} // namespace velsaro
