#include "controls/image_list.h"
#include "tests/support/picture_files.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace velsaro::testing {
namespace {

TEST(ImageListEntries, AreNumberedFromOneInTheOrderAdded)
{
    ImageList list;
    list.add(1, "a.bmp", solidPicture(10, 10, Qt::red));
    list.add(2, "b.jpg", solidPicture(10, 10, Qt::green));
    list.add(3, "c.gif", solidPicture(10, 10, Qt::blue));
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.item(1).key, "a.bmp");
    EXPECT_EQ(list.item(3).key, "c.gif");
    EXPECT_EQ(list.item(2).index, 2);
    EXPECT_EQ(list.item("b.jpg").index, 2);
    EXPECT_EQ(list.item(3).picture.pixelColor(0, 0), QColor(Qt::blue));
}

TEST(ImageListEntries, RemovingTheLastAndClearing)
{
    ImageList list;
    list.add(1, "a", solidPicture(4, 4, Qt::red));
    list.add(2, "malla", solidPicture(4, 4, Qt::black));
    list.remove(2);
    ASSERT_EQ(list.count(), 1);
    EXPECT_THROW(list.item("malla"), std::out_of_range);
    // The key is free again for the next mesh picture.
    list.add(2, "malla", solidPicture(4, 4, Qt::black));
    EXPECT_EQ(list.item(2).key, "malla");
    list.clear();
    EXPECT_EQ(list.count(), 0);
}

TEST(ImageListEntries, RemovingInTheMiddleRenumbersTheRest)
{
    ImageList list;
    list.add(1, "a", solidPicture(4, 4, Qt::red));
    list.add(2, "b", solidPicture(4, 4, Qt::green));
    list.add(3, "c", solidPicture(4, 4, Qt::blue));
    list.remove(1);
    EXPECT_EQ(list.item(1).key, "b");
    EXPECT_EQ(list.item("c").index, 2);
}

TEST(ImageListEntries, RefusesBadIndicesDuplicateKeysAndMissingPictures)
{
    ImageList list;
    EXPECT_THROW(list.add(2, "a", solidPicture(4, 4, Qt::red)), std::out_of_range);
    EXPECT_THROW(list.add(0, "a", solidPicture(4, 4, Qt::red)), std::out_of_range);
    list.add(1, "a", solidPicture(4, 4, Qt::red));
    EXPECT_THROW(list.add(2, "a", solidPicture(4, 4, Qt::red)), std::invalid_argument);
    EXPECT_THROW(list.add(2, "b", QImage()), std::invalid_argument);
    EXPECT_THROW(list.item(2), std::out_of_range);
    EXPECT_THROW(list.item(0), std::out_of_range);
    EXPECT_THROW(list.remove(2), std::out_of_range);
    EXPECT_EQ(list.count(), 1);
    // Entries without a key, like the mesh pictures, may be several.
    ImageList keyless;
    keyless.add(1, "", solidPicture(4, 4, Qt::black));
    keyless.add(2, "", solidPicture(4, 4, Qt::white));
    EXPECT_EQ(keyless.count(), 2);
}

TEST(ImageListEntries, EveryPictureKeepsItsOwnSize)
{
    ImageList list;
    list.add(1, "small", solidPicture(100, 80, Qt::red));
    list.add(2, "large", solidPicture(430, 503, Qt::green));
    list.add(3, "wide", solidPicture(640, 20, Qt::blue));
    EXPECT_EQ(list.item(1).picture.size(), QSize(100, 80));
    EXPECT_EQ(list.item(2).picture.size(), QSize(430, 503));
    EXPECT_EQ(list.item(3).picture.size(), QSize(640, 20));
}

QImage meshLike()
{
    // White everywhere but a black cross and one pixel that is fully transparent.
    QImage mesh(6, 6, QImage::Format_ARGB32);
    mesh.fill(qRgb(255, 255, 255));
    for (int i = 0; i < 6; ++i) {
        mesh.setPixel(2, i, qRgb(0, 0, 0));
        mesh.setPixel(i, 3, qRgb(0, 0, 0));
    }
    mesh.setPixel(5, 5, qRgba(0, 0, 0, 0));
    mesh.setPixel(0, 0, qRgb(254, 255, 255));
    return mesh;
}

TEST(ImageListOverlay, WhiteOfTheUpperPictureLetsTheLowerShowThrough)
{
    ImageList list;
    list.add(1, "cara.bmp", solidPicture(6, 6, QColor(90, 60, 30)));
    list.add(2, "malla", meshLike());
    const QImage overlaid = list.overlay("cara.bmp", "malla");
    ASSERT_EQ(overlaid.size(), QSize(6, 6));
    int black = 0;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const QColor colour = overlaid.pixelColor(x, y);
            if (x == 2 || y == 3) {
                EXPECT_EQ(colour, QColor(0, 0, 0)) << x << "," << y;
                ++black;
            } else if (x == 0 && y == 0) {
                // Almost white is not the mask colour: it covers.
                EXPECT_EQ(colour, QColor(254, 255, 255));
            } else {
                EXPECT_EQ(colour, QColor(90, 60, 30)) << x << "," << y;
            }
        }
    EXPECT_EQ(black, 11);
    // The pictures in the list are left as they were.
    EXPECT_EQ(list.item(1).picture.pixelColor(2, 2), QColor(90, 60, 30));
}

TEST(ImageListOverlay, ResultHasTheSizeOfTheLowerPicture)
{
    ImageList list;
    list.add(1, "small", solidPicture(4, 3, QColor(1, 2, 3)));
    list.add(2, "big", solidPicture(10, 10, QColor(0, 0, 0)));
    list.add(3, "tiny", solidPicture(2, 2, QColor(0, 0, 0)));
    const QImage cut = list.overlay("small", "big");
    EXPECT_EQ(cut.size(), QSize(4, 3));
    EXPECT_EQ(cut.pixelColor(3, 2), QColor(0, 0, 0));
    const QImage partly = list.overlay("big", "tiny");
    EXPECT_EQ(partly.size(), QSize(10, 10));
    EXPECT_EQ(partly.pixelColor(1, 1), QColor(0, 0, 0));
    EXPECT_THROW(list.overlay("small", "none"), std::out_of_range);
}

TEST(ImageListOverlay, OtherMaskColourIsHonoured)
{
    ImageList list(qRgb(0, 0, 0));
    list.add(1, "white", solidPicture(2, 1, QColor(255, 255, 255)));
    QImage top(2, 1, QImage::Format_RGB32);
    top.setPixel(0, 0, qRgb(0, 0, 0));
    top.setPixel(1, 0, qRgb(255, 0, 0));
    list.add(2, "top", top);
    const QImage overlaid = list.overlay("white", "top");
    EXPECT_EQ(overlaid.pixelColor(0, 0), QColor(255, 255, 255));
    EXPECT_EQ(overlaid.pixelColor(1, 0), QColor(255, 0, 0));
}

TEST(ImageListOverlayOnArea, SmallerPictureGetsTheMeshOverTheBackgroundBeyondIt)
{
    ImageList list;
    list.add(1, "small", solidPicture(3, 2, QColor(90, 60, 30)));
    list.add(2, "malla", meshLike());
    const QImage overlaid = list.overlayOnArea(1, 2, QSize(6, 6), QColor(192, 192, 192));
    ASSERT_EQ(overlaid.size(), QSize(6, 6));
    // Inside the picture: its own colour, black where the mesh is.
    EXPECT_EQ(overlaid.pixelColor(0, 1), QColor(90, 60, 30));
    EXPECT_EQ(overlaid.pixelColor(2, 1), QColor(0, 0, 0));
    // Beyond it: the background, black where the mesh is, including the mesh's lower rows.
    EXPECT_EQ(overlaid.pixelColor(4, 0), QColor(192, 192, 192));
    EXPECT_EQ(overlaid.pixelColor(2, 5), QColor(0, 0, 0));
    EXPECT_EQ(overlaid.pixelColor(5, 3), QColor(0, 0, 0));
    // The fully transparent mesh pixel leaves the background.
    EXPECT_EQ(overlaid.pixelColor(5, 5), QColor(192, 192, 192));
}

TEST(ImageListOverlayOnArea, LargerPictureIsCutAtTheArea)
{
    ImageList list;
    QImage big = solidPicture(9, 9, QColor(10, 20, 30));
    big.setPixel(0, 4, qRgb(200, 100, 50));
    list.add(1, "big", big);
    list.add(2, "malla", meshLike());
    const QImage overlaid = list.overlayOnArea(1, 2, QSize(6, 6), QColor(192, 192, 192));
    ASSERT_EQ(overlaid.size(), QSize(6, 6));
    EXPECT_EQ(overlaid.pixelColor(0, 4), QColor(200, 100, 50));
    EXPECT_EQ(overlaid.pixelColor(5, 5), QColor(10, 20, 30));
    EXPECT_EQ(overlaid.pixelColor(5, 3), QColor(0, 0, 0));
}

TEST(ImageListOverlayOnArea, TransparentPicturePixelsShowTheBackgroundUnderTheMesh)
{
    ImageList list;
    QImage picture(6, 6, QImage::Format_ARGB32);
    picture.fill(qRgba(0, 0, 0, 0));
    picture.setPixel(1, 1, qRgb(5, 6, 7));
    list.add(1, "transparent.gif", picture);
    list.add(2, "malla", meshLike());
    const QImage overlaid = list.overlayOnArea(1, 2, QSize(6, 6), QColor(192, 192, 192));
    EXPECT_EQ(overlaid.pixelColor(1, 1), QColor(5, 6, 7));
    EXPECT_EQ(overlaid.pixelColor(0, 1), QColor(192, 192, 192));
    EXPECT_EQ(overlaid.pixelColor(2, 1), QColor(0, 0, 0));
    EXPECT_EQ(qAlpha(overlaid.pixel(0, 1)), 255);
}

TEST(ImageListOverlayOnArea, EntriesAreNamedByIndex)
{
    ImageList list;
    list.add(1, "a:b.bmp", solidPicture(2, 2, QColor(1, 2, 3)));
    list.add(2, QString(), solidPicture(2, 2, QColor(4, 5, 6)));
    EXPECT_EQ(list.overlayOnArea(1, 2, QSize(2, 2), Qt::white).pixelColor(1, 1), QColor(4, 5, 6));
    EXPECT_EQ(list.overlayOnArea(2, 1, QSize(2, 2), Qt::white).pixelColor(1, 1), QColor(1, 2, 3));
    EXPECT_THROW(list.overlayOnArea(1, 3, QSize(2, 2), Qt::white), std::out_of_range);
    EXPECT_TRUE(list.containsKey("a:b.bmp"));
    EXPECT_FALSE(list.containsKey("a"));
    EXPECT_FALSE(list.containsKey(QString()));
}

} // namespace
} // namespace velsaro::testing
