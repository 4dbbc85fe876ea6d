#include "controls/image_control.h"
#include "controls/picture_button.h"
#include "controls/rectangle_shape.h"
#include "tests/support/picture_files.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace velsaro::testing {
namespace {

TEST(ImageControlClicks, EnabledAreaWithoutPictureReportsAClick)
{
    QWidget parent;
    auto* zone = new ImageControl(&parent);
    zone->setGeometry(87, 106, 41, 41);
    parent.show();
    QSignalSpy clicks(zone, &ImageControl::clicked);
    QTest::mouseClick(zone, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(ImageControlClicks, DisabledAreaIgnoresTheClick)
{
    QWidget parent;
    auto* zone = new ImageControl(&parent);
    zone->setGeometry(87, 106, 41, 41);
    zone->setEnabled(false);
    parent.show();
    QSignalSpy clicks(zone, &ImageControl::clicked);
    QTest::mouseClick(zone, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(clicks.count(), 0);
}

TEST(ImageControlPainting, AreaWithoutPictureLetsTheParentShowThrough)
{
    QWidget parent;
    parent.resize(60, 60);
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(10, 200, 10));
    parent.setPalette(palette);
    auto* zone = new ImageControl(&parent);
    zone->setGeometry(10, 10, 41, 41);
    const QImage painted = parent.grab().toImage();
    EXPECT_EQ(painted.pixelColor(30, 30), QColor(10, 200, 10));
}

TEST(ImageControlPainting, StretchedPictureFillsTheControl)
{
    QWidget parent;
    parent.resize(100, 30);
    auto* strip = new ImageControl(&parent);
    strip->setGeometry(0, 0, 100, 30);
    strip->setStretch(true);
    strip->setPicture(solidPicture(4, 4, QColor(0, 100, 100)));
    const QImage painted = parent.grab().toImage();
    EXPECT_EQ(painted.pixelColor(99, 29), QColor(0, 100, 100));
    EXPECT_EQ(painted.pixelColor(50, 15), QColor(0, 100, 100));
}

TEST(RectangleShapeLook, OutlineOnlyAndClicksPassThrough)
{
    QWidget parent;
    parent.resize(50, 50);
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(200, 200, 255));
    palette.setColor(QPalette::WindowText, QColor(0, 0, 0));
    parent.setPalette(palette);
    auto* frame = new RectangleShape(&parent);
    frame->setGeometry(5, 5, 40, 40);
    const QImage painted = parent.grab().toImage();
    EXPECT_EQ(painted.pixelColor(5, 5), QColor(0, 0, 0));
    EXPECT_EQ(painted.pixelColor(44, 44), QColor(0, 0, 0));
    EXPECT_EQ(painted.pixelColor(25, 25), QColor(200, 200, 255));
    EXPECT_TRUE(frame->testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST(PictureButtonClicks, ClickedWhenEnabledOnly)
{
    PictureButton button(solidPicture(33, 31, QColor(90, 90, 90)), QColor(128, 128, 128));
    button.resize(34, 32);
    button.show();
    QSignalSpy clicks(&button, &PictureButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    button.setEnabled(false);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
}

TEST(PictureButtonLook, ShowsItsPictureOnItsBackgroundAndWashesItOutWhenDisabled)
{
    QImage face(20, 20, QImage::Format_ARGB32);
    face.fill(qRgba(255, 255, 255, 0));
    for (int i = 5; i < 15; ++i)
        face.setPixel(i, 10, qRgb(0, 0, 0));
    PictureButton button(face, QColor(128, 128, 128));
    button.resize(34, 32);
    const QImage enabled = button.grab().toImage();
    // The picture is centred: its pixel (10, 10) lands on (17, 16).
    EXPECT_EQ(enabled.pixelColor(17, 16), QColor(0, 0, 0));
    EXPECT_EQ(enabled.pixelColor(17, 6), QColor(128, 128, 128));
    button.setEnabled(false);
    const QImage disabled = button.grab().toImage();
    EXPECT_NE(disabled.pixelColor(17, 16), QColor(0, 0, 0));
    EXPECT_EQ(disabled.pixelColor(17, 6), QColor(128, 128, 128));
}

} // namespace
} // namespace velsaro::testing
