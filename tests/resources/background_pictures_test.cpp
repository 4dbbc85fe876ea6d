#include "resources/pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

using velsaro::resources::backgroundPanels;
using velsaro::resources::backgroundPicture;
using velsaro::resources::titleStripPicture;

int brightness(QRgb rgb)
{
    return qRed(rgb) + qGreen(rgb) + qBlue(rgb);
}

bool isLightBlue(QRgb rgb)
{
    return qBlue(rgb) > qGreen(rgb) && qGreen(rgb) > qRed(rgb) && qBlue(rgb) >= 190 && qRed(rgb) >= 120;
}

double meanBrightness(const QImage& picture, const QRect& area)
{
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            sum += brightness(picture.pixel(x, y));
    return sum / (area.width() * area.height());
}

TEST(BackgroundPicture, FillsTheMainWindowsClientArea)
{
    EXPECT_EQ(backgroundPicture().size(), QSize(800, 600));
}

TEST(BackgroundPicture, PanelsLieWhereTheWindowsControlGroupsAre)
{
    const auto panels = backgroundPanels();
    EXPECT_EQ(panels[0], QRect(QPoint(0, 0), QPoint(475, 599)));
    EXPECT_EQ(panels[1], QRect(QPoint(480, 0), QPoint(799, 232)));
    EXPECT_EQ(panels[2], QRect(QPoint(480, 235), QPoint(799, 388)));
    EXPECT_EQ(panels[3], QRect(QPoint(480, 392), QPoint(799, 599)));
    // The frames of the four groups of the main window, each wholly on its panel.
    EXPECT_TRUE(panels[0].contains(QRect(12, 12, 452, 580)));
    EXPECT_TRUE(panels[1].contains(QRect(490, 12, 299, 211)));
    EXPECT_TRUE(panels[2].contains(QRect(490, 249, 298, 128)));
    EXPECT_TRUE(panels[3].contains(QRect(489, 405, 299, 185)));
}

TEST(BackgroundPicture, PanelInteriorsAreLightBlueAndTheGapsDarker)
{
    const QImage picture = backgroundPicture();
    int darkestPanelPixel = 3 * 255;
    for (const QRect& panel : backgroundPanels())
        for (int y = panel.top(); y <= panel.bottom(); ++y)
            for (int x = panel.left(); x <= panel.right(); ++x) {
                darkestPanelPixel = std::min(darkestPanelPixel, brightness(picture.pixel(x, y)));
                if (panel.adjusted(6, 6, -6, -6).contains(x, y)) {
                    ASSERT_TRUE(isLightBlue(picture.pixel(x, y))) << x << ", " << y;
                }
            }
    for (QPoint gap : {QPoint(476, 300), QPoint(479, 10), QPoint(600, 233), QPoint(600, 234),
                       QPoint(700, 389), QPoint(700, 391)})
        EXPECT_LT(brightness(picture.pixel(gap)), darkestPanelPixel) << gap.x() << ", " << gap.y();
}

TEST(BackgroundPicture, PanelsAreRaisedLitAtTheTopLeftAndShadedAtTheBottomRight)
{
    const QImage picture = backgroundPicture();
    for (const QRect& panel : backgroundPanels()) {
        const QRect middle = panel.adjusted(20, 20, -20, -20);
        const double inside = meanBrightness(picture, middle);
        const QRect top(panel.left() + 10, panel.top(), panel.width() - 20, 2);
        const QRect left(panel.left(), panel.top() + 10, 2, panel.height() - 20);
        const QRect bottom(panel.left() + 10, panel.bottom() - 1, panel.width() - 20, 2);
        const QRect right(panel.right() - 1, panel.top() + 10, 2, panel.height() - 20);
        EXPECT_GT(meanBrightness(picture, top), inside + 60);
        EXPECT_GT(meanBrightness(picture, left), inside + 60);
        EXPECT_LT(meanBrightness(picture, bottom), inside - 60);
        EXPECT_LT(meanBrightness(picture, right), inside - 60);
    }
}

TEST(BackgroundPicture, PanelsAreTexturedNotFlat)
{
    const QImage picture = backgroundPicture();
    std::set<QRgb> colours;
    for (int y = 100; y < 140; ++y)
        for (int x = 100; x < 140; ++x)
            colours.insert(picture.pixel(x, y));
    EXPECT_GE(colours.size(), 8u);
    // A texture, not a picture: the grain stays within a narrow band of the panel colour.
    const double mean = meanBrightness(picture, QRect(100, 100, 40, 40));
    for (int y = 100; y < 140; ++y)
        for (int x = 100; x < 140; ++x)
            ASSERT_NEAR(brightness(picture.pixel(x, y)), mean, 45);
}

TEST(TitleStripPicture, IsATealStripDarkerAtTheTop)
{
    const QImage strip = titleStripPicture();
    ASSERT_EQ(strip.size(), QSize(223, 23));
    int previous = -1;
    for (int y = 0; y < strip.height(); ++y) {
        const QRgb first = strip.pixel(0, y);
        for (int x = 0; x < strip.width(); ++x)
            ASSERT_EQ(strip.pixel(x, y), first) << x << ", " << y;
        EXPECT_EQ(qGreen(first), qBlue(first)) << y;
        EXPECT_GT(qGreen(first), qRed(first) + 60) << y;
        EXPECT_GT(brightness(first), previous) << y;
        previous = brightness(first);
    }
}

} // namespace
