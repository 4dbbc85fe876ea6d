#include "resources/pictures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using velsaro::resources::pasoButtonPicture;
using velsaro::resources::pasoPasoButtonPicture;

constexpr QRgb white = 0xFFFFFFFF;
constexpr double centreX = 16.5;
constexpr double centreY = 15.5;

QRgb pixel(const QImage& picture, int x, int y)
{
    return picture.pixel(x, y) | 0xFF000000;
}

bool isDark(QRgb rgb)
{
    return qRed(rgb) < 70 && qGreen(rgb) < 70 && qBlue(rgb) < 70;
}

double distanceFromCentre(int x, int y)
{
    return std::hypot(x + 0.5 - centreX, y + 0.5 - centreY);
}

// Dark pixels of column x well inside the rim, where only the symbol can be dark.
int symbolPixelsInColumn(const QImage& picture, int x)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        if (distanceFromCentre(x, y) < 11.5)
            count += isDark(pixel(picture, x, y));
    return count;
}

class ButtonPicture : public ::testing::TestWithParam<bool> {
protected:
    QImage picture() const { return GetParam() ? pasoButtonPicture() : pasoPasoButtonPicture(); }
};

TEST_P(ButtonPicture, IsThirtyThreeByThirtyOne)
{
    EXPECT_EQ(picture().size(), QSize(33, 31));
}

TEST_P(ButtonPicture, CornersAreTheWhiteBackgroundAndTheDiscHasNoWhitePixel)
{
    const QImage face = picture();
    for (QPoint corner : {QPoint(0, 0), QPoint(32, 0), QPoint(0, 30), QPoint(32, 30), QPoint(2, 2)})
        EXPECT_EQ(pixel(face, corner.x(), corner.y()), white) << corner.x() << ", " << corner.y();
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x)
            if (distanceFromCentre(x, y) < 14.0) {
                ASSERT_NE(pixel(face, x, y), white) << x << ", " << y;
            }
}

TEST_P(ButtonPicture, FaceIsNeutralGrey)
{
    const QImage face = picture();
    int lightGrey = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x) {
            const QRgb rgb = pixel(face, x, y);
            ASSERT_TRUE(qRed(rgb) == qGreen(rgb) && qGreen(rgb) == qBlue(rgb)) << x << ", " << y;
            lightGrey += rgb != white && qRed(rgb) > 180;
        }
    // Lit from the top left: the highlight is there and not at the bottom right.
    EXPECT_GT(lightGrey, 20);
    EXPECT_GT(qRed(pixel(face, 10, 7)), qRed(pixel(face, 24, 24)) + 40);
}

TEST_P(ButtonPicture, BlackRimAllAround)
{
    const QImage face = picture();
    auto firstFacePixel = [&](int x, int y, int dx, int dy) {
        while (pixel(face, x, y) == white) {
            x += dx;
            y += dy;
        }
        return pixel(face, x, y);
    };
    EXPECT_TRUE(isDark(firstFacePixel(0, 15, 1, 0)));
    EXPECT_TRUE(isDark(firstFacePixel(32, 15, -1, 0)));
    EXPECT_TRUE(isDark(firstFacePixel(16, 0, 0, 1)));
    EXPECT_TRUE(isDark(firstFacePixel(16, 30, 0, -1)));
}

TEST_P(ButtonPicture, TrianglePointsRight)
{
    const QImage face = picture();
    const int left = GetParam() ? 15 : 13;
    EXPECT_GT(symbolPixelsInColumn(face, left), 10);
    EXPECT_GT(symbolPixelsInColumn(face, left), symbolPixelsInColumn(face, left + 5));
    EXPECT_GT(symbolPixelsInColumn(face, left + 5), symbolPixelsInColumn(face, left + 9));
    // The tip is on the middle row.
    EXPECT_TRUE(isDark(pixel(face, left + 7, 15)));
    EXPECT_FALSE(isDark(pixel(face, left + 7, 9)));
}

INSTANTIATE_TEST_SUITE_P(BothButtons, ButtonPicture, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Paso" : "PasoPaso"; });

TEST(ButtonPictures, PasoHasABarBeforeTheTriangleAndPasoPasoHasNone)
{
    const QImage paso = pasoButtonPicture();
    const QImage pasoPaso = pasoPasoButtonPicture();
    EXPECT_GE(symbolPixelsInColumn(paso, 10), 14);
    // The gap between bar and triangle shows the grey face.
    EXPECT_EQ(symbolPixelsInColumn(paso, 13), 0);
    EXPECT_EQ(symbolPixelsInColumn(pasoPaso, 10), 0);
}

} // namespace
