#include "controls/picture_box.h"
#include "engine/geometry.h"
#include "tests/support/picture_files.h"

#include <QPixmap>

#include <gtest/gtest.h>

namespace velsaro::testing {
namespace {

constexpr std::int32_t grey = 12632256;

std::int32_t number(int red, int green, int blue) { return red + 256 * green + 65536 * blue; }

// Colour number of what the widget paints at drawing-area pixel (x, y), at whatever scale the screen
// uses.
std::int32_t paintedAt(PictureBox& box, int x, int y)
{
    const QImage painted = box.grab().toImage();
    const double ratio = painted.devicePixelRatio();
    const QColor colour = painted.pixelColor(int((PictureBox::borderWidth + x + 0.5) * ratio),
                                             int((PictureBox::borderWidth + y + 0.5) * ratio));
    return numberOfColour(colour);
}

TEST(PictureBoxPoint, EmptyBoxShowsItsBackgroundEverywhereInside)
{
    PictureBox box(QSize(434, 507), QColor(192, 192, 192));
    EXPECT_EQ(box.drawingAreaSize(), QSize(430, 503));
    EXPECT_EQ(box.point(0, 0), grey);
    EXPECT_EQ(box.point(429, 502), grey);
    EXPECT_EQ(box.point(215, 250), grey);
}

TEST(PictureBoxPoint, OutsideTheDrawingAreaIsMinusOne)
{
    PictureBox box(QSize(434, 507), QColor(192, 192, 192));
    box.setPicture(solidPicture(600, 600, QColor(10, 20, 30)));
    EXPECT_EQ(box.point(-1, 0), -1);
    EXPECT_EQ(box.point(0, -1), -1);
    EXPECT_EQ(box.point(430, 0), -1);
    EXPECT_EQ(box.point(0, 503), -1);
    EXPECT_EQ(box.point(429, 502), number(10, 20, 30));
}

TEST(PictureBoxPoint, PictureShowsUnscaledFromTheTopLeftCorner)
{
    PictureBox box(QSize(434, 507), QColor(192, 192, 192));
    const QImage picture = variedPicture(300, 200, 7);
    box.setPicture(picture);
    for (const QPoint at : {QPoint(0, 0), QPoint(299, 199), QPoint(150, 17), QPoint(3, 198)})
        EXPECT_EQ(box.point(at.x(), at.y()), numberOfColour(picture.pixelColor(at))) << at.x() << "," << at.y();
    // Beyond the picture's right and bottom edges the background shows.
    EXPECT_EQ(box.point(300, 0), grey);
    EXPECT_EQ(box.point(0, 200), grey);
}

TEST(PictureBoxPoint, LargerPictureIsCutAtTheAreaEdges)
{
    PictureBox box(QSize(434, 507), QColor(192, 192, 192));
    const QImage picture = variedPicture(640, 700, 3);
    box.setPicture(picture);
    EXPECT_EQ(box.point(429, 502), numberOfColour(picture.pixelColor(429, 502)));
    EXPECT_EQ(box.point(430, 502), -1);
}

TEST(PictureBoxPoint, TransparentPixelsShowTheBackgroundAndHalfTransparentOnesBlend)
{
    PictureBox box(QSize(434, 507), QColor(192, 192, 192));
    QImage picture(4, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(255, 0, 0, 0));
    picture.setPixel(1, 0, qRgba(255, 0, 0, 255));
    picture.setPixel(2, 0, qRgba(0, 0, 0, 128));
    picture.setPixel(3, 0, qRgba(0, 0, 255, 255));
    box.setPicture(picture);
    EXPECT_EQ(box.point(0, 0), grey);
    EXPECT_EQ(box.point(1, 0), number(255, 0, 0));
    // Black at half opacity over grey 192 gives about grey 96, neither the picture nor the background.
    const QColor blended = colourOfNumber(box.point(2, 0));
    EXPECT_NEAR(blended.red(), 96, 2);
    EXPECT_EQ(blended.red(), blended.green());
    EXPECT_EQ(box.point(3, 0), number(0, 0, 255));
}

TEST(PictureBoxPoint, GifWithATransparentColourShowsTheBackgroundThere)
{
    TemporaryFolder folder;
    const QImage indexed = palettePicture(8, 8, {qRgb(255, 255, 255), qRgb(0, 0, 0)},
                                          [](int x, int) { return x < 4 ? 0 : 1; });
    const QString path = folder.write("mesh.gif", gif({indexed}, 0));
    const QImage picture(path);
    ASSERT_FALSE(picture.isNull());
    PictureBox box(QSize(434, 507), QColor(192, 192, 192));
    box.setPicture(picture);
    EXPECT_EQ(box.point(1, 1), grey);
    EXPECT_EQ(box.point(5, 1), 0);
}

TEST(PictureBoxPoint, ReadsTheSameAsTheSharedDrawingArea)
{
    const QImage picture = variedPicture(430, 503, 11);
    PictureBox box(QSize(434, 507), QColor(192, 192, 192));
    box.setPicture(picture);
    const DrawingArea area(picture);
    for (int y = 0; y < 503; y += 7)
        for (int x = 0; x < 430; x += 5)
            ASSERT_EQ(box.point(x, y), area.point(x, y)) << x << "," << y;
}

TEST(PictureBoxPoint, CoordinatesRoundToTheNearestPixelHalvesToEven)
{
    PictureBox box(QSize(14, 14), QColor(192, 192, 192));
    QImage picture(3, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(1, 0, 0));
    picture.setPixel(1, 0, qRgb(2, 0, 0));
    picture.setPixel(2, 0, qRgb(3, 0, 0));
    box.setPicture(picture);
    EXPECT_EQ(box.point(0.4, 0), 1);
    EXPECT_EQ(box.point(0.5, 0), 1);
    EXPECT_EQ(box.point(1.5, 0), 3);
    EXPECT_EQ(box.point(1.6, 0.2), 3);
}

// Run also with QT_SCALE_FACTOR=2 (a separate test entry): the colours read never change, and the
// widget paints each area pixel as what Point reads.
TEST(PictureBoxPoint, PaintedPixelsMatchPointAtAnyScaleFactor)
{
    PictureBox box(QSize(434, 507), QColor(192, 192, 192));
    const QImage picture = variedPicture(200, 250, 5);
    box.setPicture(picture);
    box.fillBox(300, 300, 310, 320, number(0, 200, 0));
    const bool scaled = qEnvironmentVariableIsSet("QT_SCALE_FACTOR");
    if (scaled) {
        EXPECT_DOUBLE_EQ(box.devicePixelRatioF(), qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    }
    for (const QPoint at : {QPoint(0, 0), QPoint(199, 249), QPoint(100, 100), QPoint(250, 10),
                            QPoint(305, 310), QPoint(429, 502)}) {
        const std::int32_t read = box.point(at.x(), at.y());
        EXPECT_EQ(paintedAt(box, at.x(), at.y()), read) << at.x() << "," << at.y();
        const std::int32_t expected = at.x() < 200 && at.y() < 250 ? numberOfColour(picture.pixelColor(at))
                                      : QRect(300, 300, 10, 20).contains(at) ? number(0, 200, 0)
                                                                             : grey;
        EXPECT_EQ(read, expected) << at.x() << "," << at.y();
    }
}

TEST(PictureBoxDrawing, BoxFillCoversFromTheFirstCornerUpToTheSecond)
{
    PictureBox box(QSize(249, 249), QColor(255, 255, 255));
    box.fillBox(2, 2, 60, 60, number(200, 0, 0));
    EXPECT_EQ(box.point(2, 2), number(200, 0, 0));
    EXPECT_EQ(box.point(59, 59), number(200, 0, 0));
    EXPECT_EQ(box.point(60, 60), number(255, 255, 255));
    EXPECT_EQ(box.point(1, 30), number(255, 255, 255));
    EXPECT_EQ(box.point(30, 1), number(255, 255, 255));
    // Corners given the other way round fill the same box.
    box.fillBox(120, 120, 62, 62, number(0, 0, 200));
    EXPECT_EQ(box.point(62, 62), number(0, 0, 200));
    EXPECT_EQ(box.point(119, 119), number(0, 0, 200));
    EXPECT_EQ(box.point(61, 61), number(255, 255, 255));
}

TEST(PictureBoxDrawing, DrawingsPersistWhileHiddenAndAreShownOnceVisible)
{
    PictureBox box(QSize(249, 249), QColor(255, 255, 255));
    ASSERT_FALSE(box.isVisible());
    box.fillBox(2, 2, 60, 60, number(0, 128, 0));
    box.show();
    box.hide();
    box.show();
    EXPECT_EQ(box.point(10, 10), number(0, 128, 0));
    EXPECT_EQ(paintedAt(box, 10, 10), number(0, 128, 0));
    EXPECT_EQ(paintedAt(box, 70, 70), number(255, 255, 255));
}

TEST(PictureBoxDrawing, ClsErasesTheBoxesButKeepsThePicture)
{
    PictureBox box(QSize(434, 507), QColor(192, 192, 192));
    box.setPicture(solidPicture(100, 100, QColor(0, 0, 255)));
    box.fillBox(50, 50, 150, 150, 0);
    ASSERT_EQ(box.point(120, 120), 0);
    box.cls();
    EXPECT_EQ(box.point(60, 60), number(0, 0, 255));
    EXPECT_EQ(box.point(120, 120), grey);
    EXPECT_EQ(paintedAt(box, 120, 120), grey);
}

TEST(PictureBoxDrawing, ClearingThePictureLeavesOnlyTheBackground)
{
    PictureBox box(QSize(434, 507), QColor(192, 192, 192));
    box.setPicture(solidPicture(430, 503, QColor(0, 0, 0)));
    ASSERT_TRUE(box.hasPicture());
    box.setPicture(QImage());
    EXPECT_FALSE(box.hasPicture());
    EXPECT_EQ(box.point(0, 0), grey);
    EXPECT_EQ(box.point(429, 502), grey);
}

} // namespace
} // namespace velsaro::testing
