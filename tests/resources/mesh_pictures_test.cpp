#include "resources/pictures.h"

#include "engine/geometry.h"

#include <gtest/gtest.h>

namespace {

using velsaro::resources::meshPicture;

constexpr QRgb white = 0xFFFFFFFF;
constexpr QRgb black = 0xFF000000;

QRgb pixel(const QImage& picture, int x, int y)
{
    return picture.pixel(x, y) | 0xFF000000;
}

int blackPixels(const QImage& picture)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            count += pixel(picture, x, y) == black;
    return count;
}

// The walkthrough's overlay: every pixel of the mesh that is not white replaces the one under it.
QImage overlaid(QImage under, const QImage& mesh)
{
    for (int y = 0; y < mesh.height(); ++y)
        for (int x = 0; x < mesh.width(); ++x)
            if (pixel(mesh, x, y) != white)
                under.setPixel(x, y, pixel(mesh, x, y));
    return under;
}

const int expectedBlack[] = {0, 8316, 8055, 7767, 7191};

TEST(MeshPictures, EveryEntryIsTheDrawingAreaInBlackAndWhiteOnly)
{
    for (int entry = 1; entry <= velsaro::resources::meshPictureCount; ++entry) {
        const QImage picture = meshPicture(entry);
        ASSERT_EQ(picture.size(), QSize(velsaro::drawingAreaWidth, velsaro::drawingAreaHeight));
        int others = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                others += pixel(picture, x, y) != white && pixel(picture, x, y) != black;
        EXPECT_EQ(others, 0) << "entry " << entry;
    }
}

TEST(MeshPictures, EachEntryHasItsNumberOfBlackPixels)
{
    for (int entry = 1; entry <= 4; ++entry)
        EXPECT_EQ(blackPixels(meshPicture(entry)), expectedBlack[entry]) << "entry " << entry;
}

TEST(MeshPictures, EntriesOutsideOneToFourAreNull)
{
    EXPECT_TRUE(meshPicture(0).isNull());
    EXPECT_TRUE(meshPicture(5).isNull());
    EXPECT_TRUE(meshPicture(-1).isNull());
}

TEST(MeshPictures, OverlayOnGreyTurnsExactlyTheBlackPixelsBlack)
{
    QImage grey(velsaro::drawingAreaWidth, velsaro::drawingAreaHeight, QImage::Format_RGB32);
    grey.fill(QColor(128, 128, 128));
    for (int entry = 1; entry <= 4; ++entry) {
        const QImage result = overlaid(grey, meshPicture(entry));
        int changed = 0;
        int changedToOtherThanBlack = 0;
        for (int y = 0; y < grey.height(); ++y)
            for (int x = 0; x < grey.width(); ++x)
                if (pixel(result, x, y) != pixel(grey, x, y)) {
                    ++changed;
                    changedToOtherThanBlack += pixel(result, x, y) != black;
                }
        EXPECT_EQ(changed, expectedBlack[entry]) << "entry " << entry;
        EXPECT_EQ(changedToOtherThanBlack, 0) << "entry " << entry;
    }
}

// The masks the key computation samples, placed by the engine itself for the main window's picture
// box, must keep the image's own pixels under the overlay.
TEST(MeshPictures, SquaresLeaveEveryMaskOfTheirLevelWhite)
{
    for (int entry = 2; entry <= 4; ++entry) {
        const int n = 2 << (entry - 1);
        const QImage picture = meshPicture(entry);
        const velsaro::MeshGeometry geometry =
            velsaro::meshGeometry(velsaro::pictureAreaWidth, velsaro::pictureAreaHeight, n);
        for (int j = 0; j < 9; ++j) {
            const velsaro::PixelPosition corner = geometry.maskCorner(j);
            ASSERT_EQ(corner.x, 108 * (j % 3 + 1) - n / 2);
            ASSERT_EQ(corner.y, 127 * (j / 3 + 1) - n / 2);
            int covered = 0;
            for (int y = corner.y; y < corner.y + n; ++y)
                for (int x = corner.x; x < corner.x + n; ++x)
                    covered += pixel(picture, x, y) != white;
            EXPECT_EQ(covered, 0) << "entry " << entry << ", mask " << j;
        }
    }
}

TEST(MeshPictures, MeshLinesAreThreePixelsWideOverTheWholePicture)
{
    const QImage picture = meshPicture(1);
    for (int x : {106, 107, 108, 215, 216, 217, 323, 324, 325})
        for (int y : {0, 60, 200, 502})
            EXPECT_EQ(pixel(picture, x, y), black) << x << ", " << y;
    for (int x : {105, 109, 214, 218, 322, 326})
        EXPECT_EQ(pixel(picture, x, 60), white) << x;
    for (int y : {125, 126, 127, 252, 253, 254, 380, 381, 382})
        for (int x : {0, 50, 429})
            EXPECT_EQ(pixel(picture, x, y), black) << x << ", " << y;
    for (int y : {124, 128, 251, 255, 379, 383})
        EXPECT_EQ(pixel(picture, 50, y), white) << y;
}

TEST(MeshPictures, TopLeftSquareOfTheFirstLevelHasItsOutlineWhereStated)
{
    const QImage picture = meshPicture(2);
    for (int t = 118; t <= 134; ++t) {
        EXPECT_EQ(pixel(picture, 99, t), black) << t;
        EXPECT_EQ(pixel(picture, 115, t), black) << t;
        EXPECT_EQ(pixel(picture, t - 19, 118), black) << t;
        EXPECT_EQ(pixel(picture, t - 19, 134), black) << t;
    }
    for (int y = 119; y <= 133; ++y)
        for (int x = 100; x <= 114; ++x)
            ASSERT_EQ(pixel(picture, x, y), white) << x << ", " << y;
    // Just outside the outline the mesh line carries on.
    EXPECT_EQ(pixel(picture, 107, 117), black);
    EXPECT_EQ(pixel(picture, 98, 126), black);
}

TEST(MeshPictures, SquaresGrowWithTheLevel)
{
    // Outer sides 17, 33 and 65 around the centre intersection (216, 253): the outline's left edge.
    const int halfSides[] = {8, 16, 32};
    for (int entry = 2; entry <= 4; ++entry) {
        const QImage picture = meshPicture(entry);
        const int h = halfSides[entry - 2];
        EXPECT_EQ(pixel(picture, 216 - h, 253 - h + 3), black) << entry;
        EXPECT_EQ(pixel(picture, 216 + h, 253 + h - 3), black) << entry;
        EXPECT_EQ(pixel(picture, 216 - h + 1, 253), white) << entry;
        EXPECT_EQ(pixel(picture, 216 - h - 3, 253 - h - 3), white) << entry;
    }
}

} // namespace
