// The picture area as the program shows it: what point() answers must be what image() shows, for
// opaque, palette, translucent and high-density pictures of any size.
#include "picture/drawing_area.h"

#include "engine/geometry.h"

#include <gtest/gtest.h>

#include <QImage>

namespace velsaro {
namespace {

constexpr std::int32_t grey = backgroundColour;

std::int32_t number(QRgb rgb) { return qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb); }

QImage filled(int width, int height, QImage::Format format, QColor colour)
{
    QImage picture(width, height, format);
    picture.fill(colour);
    return picture;
}

// Every pixel that point() reports is the pixel image() shows.
void expectPointMatchesImage(const DrawingArea& area)
{
    const QImage shown = area.image();
    ASSERT_EQ(shown.size(), QSize(drawingAreaWidth, drawingAreaHeight));
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ASSERT_EQ(area.point(x, y), number(shown.pixel(x, y))) << x << ", " << y;
}

TEST(DrawingArea, ShowsOnlyTheGreyWithoutAPicture)
{
    const DrawingArea empty;
    EXPECT_EQ(empty.point(0, 0), grey);
    EXPECT_EQ(empty.point(429, 502), grey);
    EXPECT_EQ(DrawingArea(QImage()).point(10, 10), grey);
}

TEST(DrawingArea, AnswersMinusOneOutsideTheArea)
{
    const DrawingArea area(filled(1000, 1000, QImage::Format_RGB32, Qt::red));
    EXPECT_EQ(area.point(-1, 0), -1);
    EXPECT_EQ(area.point(0, -1), -1);
    EXPECT_EQ(area.point(430, 0), -1);
    EXPECT_EQ(area.point(0, 503), -1);
    EXPECT_EQ(area.point(429, 502), 255);
}

TEST(DrawingArea, ShowsSmallPictureFromTheTopLeftCornerOnGrey)
{
    QImage picture = filled(20, 10, QImage::Format_RGB32, QColor(1, 2, 3));
    picture.setPixel(19, 9, qRgb(200, 100, 50));
    const DrawingArea area(picture);
    EXPECT_EQ(area.point(0, 0), 1 + 256 * 2 + 65536 * 3);
    EXPECT_EQ(area.point(19, 9), 200 + 256 * 100 + 65536 * 50);
    EXPECT_EQ(area.point(20, 9), grey);
    EXPECT_EQ(area.point(19, 10), grey);
    expectPointMatchesImage(area);
}

TEST(DrawingArea, CutsLargePictureAtTheRightAndBottom)
{
    QImage picture(600, 700, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    const DrawingArea area(picture);
    EXPECT_EQ(area.point(429, 502), number(picture.pixel(429, 502)));
    expectPointMatchesImage(area);
}

TEST(DrawingArea, ShowsPalettePictureThroughItsColours)
{
    QImage picture(8, 8, QImage::Format_Indexed8);
    picture.setColorTable({qRgb(10, 20, 30), qRgb(250, 0, 5)});
    picture.fill(0);
    picture.setPixel(3, 4, 1);
    const DrawingArea area(picture);
    EXPECT_EQ(area.point(0, 0), 10 + 256 * 20 + 65536 * 30);
    EXPECT_EQ(area.point(3, 4), 250 + 65536 * 5);
    expectPointMatchesImage(area);
}

TEST(DrawingArea, ShowsTheGreyUnderTransparentAndTranslucentPixels)
{
    QImage picture = filled(40, 40, QImage::Format_ARGB32, Qt::transparent);
    picture.setPixel(1, 1, qRgba(255, 0, 0, 255));
    picture.setPixel(2, 1, qRgba(255, 0, 0, 128));
    const DrawingArea area(picture);
    EXPECT_EQ(area.point(0, 0), grey);
    EXPECT_EQ(area.point(1, 1), 255);
    // Half red over the grey: red halfway between 192 and 255, green and blue halfway down to 0.
    const std::int32_t blended = area.point(2, 1);
    EXPECT_NEAR(blended % 256, (192 + 255) / 2, 1);
    EXPECT_NEAR(blended / 256 % 256, 192 / 2, 1);
    EXPECT_NEAR(blended / 65536, 192 / 2, 1);
    expectPointMatchesImage(area);
}

TEST(DrawingArea, ShowsHighDensityPictureOnePixelPerPixel)
{
    QImage picture = filled(100, 100, QImage::Format_ARGB32, Qt::blue);
    picture.setDevicePixelRatio(2.0);
    const DrawingArea area(picture);
    EXPECT_EQ(area.point(99, 99), 65536 * 255);
    EXPECT_EQ(area.point(100, 99), grey);
}

TEST(DrawingArea, GivesTheCoveredPartAsTheAreaShowsIt)
{
    for (const QImage& picture : {filled(600, 700, QImage::Format_RGB32, Qt::green),
                                  filled(40, 30, QImage::Format_ARGB32, QColor(255, 0, 0, 128)),
                                  filled(20, 600, QImage::Format_Grayscale8, Qt::gray)}) {
        const DrawingArea area(picture);
        const QRect covered(QPoint(0, 0), picture.size().boundedTo(area.image().size()));
        EXPECT_EQ(area.coveredPart(), area.image().copy(covered)) << picture.size().width();
    }
}

} // namespace
} // namespace velsaro
