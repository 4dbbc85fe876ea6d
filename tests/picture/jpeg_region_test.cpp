// The tool's key-region decode of JPEGs against the program's reader: the same pixels wherever the key
// reads, for every layout a camera or an editor writes.
#include "picture/drawing_area.h"
#include "picture/jpeg_decompressor.h"
#include "picture/picture_file.h"
#include "tests/support/picture_files.h"

#include "engine/key_engine.h"

#include <gtest/gtest.h>

#include <QBuffer>

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
    bool isKeyRegionDecoded; // single-scan colour or grey: the libjpeg path, not the general reader
};

void PrintTo(const JpegCase& layout, std::ostream* out) { *out << layout.name; }

class KeyRegionJpeg : public ::testing::TestWithParam<JpegCase> {};

TEST_P(KeyRegionJpeg, ShowsTheKeyThePixelsOfTheShownRegion)
{
    const JpegCase& layout = GetParam();
    const QByteArray bytes =
        jpegEncoded(variedPicture(layout.width, layout.height, unsigned(layout.width * 7 + layout.height)),
                    layout.encoding);
    ASSERT_FALSE(bytes.isEmpty());
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    detail::JpegDecompressor decompressor(buffer);
    EXPECT_EQ(decompressor.decodeRegion(keyRegionWidth, keyRegionTop, keyRegionHeight).isNull(),
              !layout.isKeyRegionDecoded);

    const PictureFile shownFile = readPicture(bytes, PictureRegion::Shown);
    const PictureFile keyedFile = readPicture(bytes, PictureRegion::Keyed);
    ASSERT_EQ(shownFile.error, PictureFileError::None);
    ASSERT_EQ(keyedFile.error, PictureFileError::None);
    const DrawingArea shown(shownFile.image);
    const DrawingArea keyed(keyedFile.image);
    for (int y = keyRegionTop; y < keyRegionHeight; ++y)
        for (int x = 0; x < keyRegionWidth - 16; ++x)
            ASSERT_EQ(keyed.point(x, y), shown.point(x, y)) << "x " << x << ", y " << y;
    const auto keyOf = [](const DrawingArea& area) {
        return computeKey([&](int x, int y) { return area.point(x, y); }).text;
    };
    EXPECT_EQ(keyOf(keyed), keyOf(shown));
}

const JpegEncoding s444{Colours::YCbCr, 1, 1};
const JpegEncoding s422{Colours::YCbCr, 2, 1};
const JpegEncoding s420{Colours::YCbCr, 2, 2};
const JpegEncoding s440{Colours::YCbCr, 1, 2};
const JpegEncoding grey{Colours::Grey, 1, 1};
const JpegEncoding cmyk{Colours::Cmyk, 1, 1};
const JpegEncoding progressive{Colours::YCbCr, 2, 2, true};
const JpegEncoding restarts{Colours::YCbCr, 2, 2, false, 1};

// Widths and heights just around the last column and row the key reads (331, 388), the crop's end
// (348), the drawing area's (430 x 503) and the MCU sizes (8 and 16).
INSTANTIATE_TEST_SUITE_P(
    Layouts, KeyRegionJpeg,
    ::testing::Values(JpegCase{"444_640x480", s444, 640, 480, true}, JpegCase{"422_640x480", s422, 640, 480, true},
                      JpegCase{"420_640x480", s420, 640, 480, true}, JpegCase{"440_640x480", s440, 640, 480, true},
                      JpegCase{"grey_640x480", grey, 640, 480, true}, JpegCase{"cmyk_640x480", cmyk, 640, 480, false},
                      JpegCase{"progressive_640x480", progressive, 640, 480, false},
                      JpegCase{"restarts_640x480", restarts, 640, 480, true},
                      JpegCase{"420_331x388", s420, 331, 388, true}, JpegCase{"420_332x389", s420, 332, 389, true},
                      JpegCase{"420_333x390", s420, 333, 390, true}, JpegCase{"422_347x503", s422, 347, 503, true},
                      JpegCase{"420_348x502", s420, 348, 502, true}, JpegCase{"420_349x504", s420, 349, 504, true},
                      JpegCase{"444_352x400", s444, 352, 400, true}, JpegCase{"440_353x401", s440, 353, 401, true},
                      JpegCase{"420_363x392", s420, 363, 392, true}, JpegCase{"420_364x393", s420, 364, 393, true},
                      JpegCase{"420_1001x1003", s420, 1001, 1003, true}, JpegCase{"420_99x118", s420, 99, 118, true},
                      JpegCase{"422_2000x130", s422, 2000, 130, true}));

} // namespace
} // namespace velsaro
