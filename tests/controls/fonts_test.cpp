#include "controls/fonts.h"
#include "controls/colours_and_twips.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <gtest/gtest.h>

namespace velsaro::testing {
namespace {

TEST(NamedFonts, MapToTheFreeFamiliesInstalledWithTheProgram)
{
    EXPECT_EQ(QFontInfo(defaultWindowFont()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(titleFont()).family(), "Liberation Serif");
    EXPECT_EQ(QFontInfo(verdanaFont(true)).family(), "DejaVu Sans");
    EXPECT_TRUE(QFontInfo(verdanaFont(true)).bold());
}

TEST(NamedFonts, PointSizesBecomeTheirPixelSizesAtNinetySixDotsPerInch)
{
    EXPECT_EQ(QFontInfo(defaultWindowFont()).pixelSize(), 11);
    EXPECT_EQ(QFontInfo(titleFont()).pixelSize(), 21);
    EXPECT_EQ(QFontInfo(verdanaFont()).pixelSize(), 12);
}

TEST(NamedFonts, TitleTextsFitTheirLabels)
{
    // The widest title label of the main window is 188 x 22 pixels.
    const QFontMetrics title(titleFont());
    EXPECT_LE(title.horizontalAdvance(QString::fromUtf8("Imagen Original")), 188);
    EXPECT_LE(title.height(), 25);
    const QFontMetrics button(defaultWindowFont());
    EXPECT_LE(button.horizontalAdvance("Paso a Paso"), 82 - 8);
}

TEST(Twips, FifteenToThePixelRoundedToTheNearest)
{
    EXPECT_EQ(twipsToPixels(8700), 580);
    EXPECT_EQ(twipsToPixels(4117), 274);
    EXPECT_EQ(twipsToPixels(1010), 67);
    EXPECT_EQ(twipsToPixels(7), 0);
    EXPECT_EQ(twipsToPixels(8), 1);
    EXPECT_EQ(twipsRect(300, 675, 9975, 4410), QRect(20, 45, 665, 294));
}

} // namespace
} // namespace velsaro::testing
