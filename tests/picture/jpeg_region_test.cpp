// The regions the program shows and the tool keys against a whole decode of the same JPEG: the same
// pixels, for every layout a camera or an editor writes.
#include "picture/drawing_area.h"
#include "picture/jpeg_decompressor.h"
#include "picture/jpeg_region_scans.h"
#include "picture/picture_file.h"
#include "tests/support/picture_files.h"

#include "engine/key_engine.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>

#include <ostream>

namespace velsaro {
namespace {

using namespace velsaro::testing;
using Colours = JpegEncoding::Colours;

struct JpegCase {
    const char* name;
    JpegEncoding encoding;
    int width;
    int height;
    bool isRegionDecoded = true; // colour or grey: libjpeg's own region decode, not Qt's reader
    bool hasFlatBand = false;    // rows 300..699 of one colour: the AC scans' runs of empty blocks cross the cut
    bool isSmoothed = false;     // low coefficients left unrefined: libjpeg smooths blocks, reading its own scans
};

// Progressive scans, not only several sequential ones: their region is decoded from its coefficients.
bool isFromScans(const JpegCase& layout)
{
    bool isProgressive = layout.encoding.progressive;
    for (const JpegScan& scan : layout.encoding.scans)
        isProgressive = isProgressive || scan.Ss != 0 || scan.Se != 63;
    return isProgressive && layout.isRegionDecoded && !layout.isSmoothed;
}

void PrintTo(const JpegCase& layout, std::ostream* out) { *out << layout.name; }

QImage pictureOf(const JpegCase& layout)
{
    QImage picture = variedPicture(layout.width, layout.height, unsigned(layout.width * 7 + layout.height));
    if (layout.hasFlatBand)
        QPainter(&picture).fillRect(0, 300, layout.width, 400, QColor(90, 140, 60));
    return picture;
}

std::string keyOf(const DrawingArea& area)
{
    return computeKey([&](int x, int y) { return area.point(x, y); }).text;
}

class RegionJpeg : public ::testing::TestWithParam<JpegCase> {};

// Both regions against Qt's decode of the whole file: the shown one everywhere, the keyed one over the
// key's rows and columns.
TEST_P(RegionJpeg, ShowsThePixelsOfAWholeDecode)
{
    const JpegCase& layout = GetParam();
    const QByteArray bytes = jpegEncoded(pictureOf(layout), layout.encoding);
    ASSERT_FALSE(bytes.isEmpty());
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    detail::JpegDecompressor decompressor(buffer);
    EXPECT_EQ(decompressor.decodeRegionFromScans(keyRegionWidth, keyRegionTop, keyRegionHeight).isNull(),
              !isFromScans(layout));
    EXPECT_EQ(decompressor.decodeRegion(keyRegionWidth, keyRegionTop, keyRegionHeight).isNull(),
              !layout.isRegionDecoded);

    const PictureFile shownFile = readPicture(bytes, PictureRegion::Shown);
    const PictureFile keyedFile = readPicture(bytes, PictureRegion::Keyed);
    ASSERT_EQ(shownFile.error, PictureFileError::None);
    ASSERT_EQ(keyedFile.error, PictureFileError::None);
    const DrawingArea whole(QImage::fromData(bytes, "JPEG"));
    const DrawingArea shown(shownFile.image);
    const DrawingArea keyed(keyedFile.image);
    for (int y = 0; y < drawingAreaHeight; ++y)
        for (int x = 0; x < drawingAreaWidth; ++x)
            ASSERT_EQ(shown.point(x, y), whole.point(x, y)) << "shown x " << x << ", y " << y;
    for (int y = keyRegionTop; y < keyRegionHeight; ++y)
        for (int x = 0; x < keyRegionWidth; ++x)
            ASSERT_EQ(keyed.point(x, y), whole.point(x, y)) << "keyed x " << x << ", y " << y;
    EXPECT_EQ(keyOf(keyed), keyOf(whole));
}

const JpegEncoding s444{Colours::YCbCr, 1, 1};
const JpegEncoding s422{Colours::YCbCr, 2, 1};
const JpegEncoding s420{Colours::YCbCr, 2, 2};
const JpegEncoding s440{Colours::YCbCr, 1, 2};
const JpegEncoding grey{Colours::Grey, 1, 1};
const JpegEncoding cmyk{Colours::Cmyk, 1, 1};
const JpegEncoding restarts{Colours::YCbCr, 2, 2, false, 1};

// Widths and heights just around the last column and row the key reads (331, 388), the crop's end
// (348), the drawing area's (430 x 503) and the MCU sizes (8 and 16); progressive files also past the
// rows a region needs, cut at the key's rows or the shown ones.
INSTANTIATE_TEST_SUITE_P(
    Layouts, RegionJpeg,
    ::testing::Values(JpegCase{"444_640x480", s444, 640, 480}, JpegCase{"422_640x480", s422, 640, 480},
                      JpegCase{"420_640x480", s420, 640, 480}, JpegCase{"440_640x480", s440, 640, 480},
                      JpegCase{"grey_640x480", grey, 640, 480}, JpegCase{"cmyk_640x480", cmyk, 640, 480, false},
                      JpegCase{"restarts_640x480", restarts, 640, 480},
                      JpegCase{"420_331x388", s420, 331, 388}, JpegCase{"420_332x389", s420, 332, 389},
                      JpegCase{"420_333x390", s420, 333, 390}, JpegCase{"422_347x503", s422, 347, 503},
                      JpegCase{"420_348x502", s420, 348, 502}, JpegCase{"420_349x504", s420, 349, 504},
                      JpegCase{"444_352x400", s444, 352, 400}, JpegCase{"440_353x401", s440, 353, 401},
                      JpegCase{"420_363x392", s420, 363, 392}, JpegCase{"420_364x393", s420, 364, 393},
                      JpegCase{"420_1001x1003", s420, 1001, 1003}, JpegCase{"420_99x118", s420, 99, 118},
                      JpegCase{"422_2000x130", s422, 2000, 130}));

INSTANTIATE_TEST_SUITE_P(
    Progressive, RegionJpeg,
    ::testing::Values(JpegCase{"420_640x480", progressiveEncoding(2, 2), 640, 480},
                      JpegCase{"444_1001x1003", progressiveEncoding(1, 1), 1001, 1003},
                      JpegCase{"422_1001x1003", progressiveEncoding(2, 1), 1001, 1003},
                      JpegCase{"420_1001x1003", progressiveEncoding(2, 2), 1001, 1003},
                      JpegCase{"440_700x900", progressiveEncoding(1, 2), 700, 900},
                      JpegCase{"grey_1001x1003", progressiveEncoding(1, 1, Colours::Grey), 1001, 1003},
                      JpegCase{"cmyk_640x480", progressiveEncoding(1, 1, Colours::Cmyk), 640, 480, false},
                      JpegCase{"restarts_1200x900", progressiveEncoding(2, 2, Colours::YCbCr, 1), 1200, 900},
                      JpegCase{"spectral_1200x900", scriptedEncoding(JpegScript::SpectralOnly, 2, 2), 1200, 900},
                      JpegCase{"three_steps_444_900x1200", scriptedEncoding(JpegScript::ThreeSteps, 1, 1), 900, 1200},
                      JpegCase{"steps_restarts_1200x900", scriptedEncoding(JpegScript::ThreeSteps, 2, 2, 2), 1200, 900},
                      JpegCase{"unrefined_420_1200x900", scriptedEncoding(JpegScript::Unrefined, 2, 2), 1200, 900,
                               true, false, true},
                      JpegCase{"unrefined_444_900x1200", scriptedEncoding(JpegScript::Unrefined, 1, 1), 900, 1200,
                               true, false, true},
                      JpegCase{"flat_band_420_1200x900", progressiveEncoding(2, 2), 1200, 900, true, true},
                      JpegCase{"flat_steps_1200x900", scriptedEncoding(JpegScript::ThreeSteps, 1, 1), 1200, 900, true, true},
                      JpegCase{"sequential_scans_1200x900", scriptedEncoding(JpegScript::SequentialScans, 2, 2), 1200, 900},
                      JpegCase{"420_331x388", progressiveEncoding(2, 2), 331, 388},
                      JpegCase{"444_349x504", progressiveEncoding(1, 1), 349, 504},
                      JpegCase{"420_2000x130", progressiveEncoding(2, 2), 2000, 130}));

// JPEGs the fuzz target once found a region of differing from a whole decode: corrupt scans whose
// rows depend on the rows after them.
TEST(RegionJpegFuzzInputs, ShowThePixelsOfAWholeDecode)
{
    const QDir folder(QStringLiteral(VELSARO_FUZZ_REGRESSIONS));
    for (const QString& name : folder.entryList({QStringLiteral("*.jpg")}, QDir::Files)) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const DrawingArea whole(QImage::fromData(bytes, "JPEG"));
        const DrawingArea shown(readPicture(bytes, PictureRegion::Shown).image);
        for (int y = 0; y < drawingAreaHeight; ++y)
            for (int x = 0; x < drawingAreaWidth; ++x)
                ASSERT_EQ(shown.point(x, y), whole.point(x, y)) << name.toStdString() << " x " << x << ", y " << y;
    }
}

// A region ending at an MCU's edge on an odd pixel: the chroma sample after it, which fancy upsampling
// reads, must come from the file, not from the written picture's edge repeated.
TEST(RegionScans, EndingAtAnMcuEdgeShowsTheWholeDecodesPixels)
{
    for (const JpegEncoding& encoding : {progressiveEncoding(2, 2), progressiveEncoding(2, 1)}) {
        const QByteArray bytes = jpegEncoded(variedPicture(700, 600, 3), encoding);
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        const QImage region = detail::JpegDecompressor(buffer).decodeRegionFromScans(432, 0, 512);
        ASSERT_FALSE(region.isNull());
        const QImage whole = QImage::fromData(bytes, "JPEG").convertToFormat(region.format()).copy(0, 0, 432, 512);
        EXPECT_EQ(region, whole);
    }
}

detail::RegionFrame regionRead(const QByteArray& bytes, const detail::FrameLayout& layout, detail::ZeroFinding finding)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    detail::RegionFrame frame = detail::regionFrame(layout, 40, 40);
    EXPECT_TRUE(detail::readRegionScans(buffer, frame, finding));
    return frame;
}

// New coefficients of refinement scans placed by the processor's bit deposit and by counting: every
// coefficient kept and every block's mask alike, over runs of zeros of every length.
TEST(RegionScans, PlaceNewCoefficientsAlikeEitherWay)
{
    for (const JpegEncoding& encoding : {scriptedEncoding(JpegScript::ThreeSteps, 1, 1), progressiveEncoding(2, 2)}) {
        const QByteArray bytes = jpegEncoded(variedPicture(1200, 900, 5), encoding);
        const detail::FrameLayout layout =
            detail::frameLayout(1200, 900, {{1, encoding.hSampling, encoding.vSampling}, {2, 1, 1}, {3, 1, 1}});
        const detail::RegionFrame fastest = regionRead(bytes, layout, detail::ZeroFinding::Fastest);
        const detail::RegionFrame counted = regionRead(bytes, layout, detail::ZeroFinding::Counting);
        ASSERT_EQ(fastest.components.size(), 3u);
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(fastest.components[c].coefficients, counted.components[c].coefficients);
            EXPECT_EQ(fastest.components[c].nonzero, counted.components[c].nonzero);
        }
    }
}

} // namespace
} // namespace velsaro
