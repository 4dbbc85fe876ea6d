#include "tests/app/form1_fixture.h"

#include "app/walkthrough_stages.h"
#include "controls/combo_box.h"
#include "controls/image_control.h"
#include "controls/list_box.h"
#include "controls/picture_box.h"
#include "controls/picture_button.h"
#include "controls/progress_bar.h"
#include "controls/rectangle_shape.h"
#include "engine/geometry.h"
#include "resources/pictures.h"
#include "tests/windows/what_the_user_sees.h"

#include <QAccessible>
#include <QFontInfo>
#include <QPushButton>

namespace velsaro::testing {
namespace {

using Form1Layout = Form1Test;

TEST_F(Form1Layout, PictureAreaAndProgressBarSitOnTheLeftPanel)
{
    EXPECT_EQ(form1->Picture1->geometry(), QRect(20, 43, 434, 507));
    EXPECT_EQ(form1->Picture1->drawingAreaSize(), QSize(430, 503));
    EXPECT_EQ(form1->Picture1->backgroundColour(), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(form1->Picture1->foregroundColour(), QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(form1->ProgressBar1->geometry(), QRect(35, 562, 405, 22));
}

TEST_F(Form1Layout, ButtonsSelectorAndStageListAtTheirPlacesWithTheirTexts)
{
    struct Expected {
        QPushButton* button;
        QRect place;
        const char* text;
    };
    for (const Expected& expected : {Expected{form1->bUnaSola, {516, 479, 82, 26}, "Normal"},
                                     Expected{form1->bPaso, {516, 510, 82, 26}, "Paso a Paso"},
                                     Expected{form1->bTodas, {516, 541, 82, 26}, "Comparar"},
                                     Expected{form1->bCargaImgs, {623, 510, 132, 26}, "Cargar Imagen"},
                                     Expected{form1->bReset, {623, 541, 132, 26}, "Descargar"}}) {
        EXPECT_EQ(expected.button->geometry(), expected.place) << expected.text;
        EXPECT_EQ(expected.button->text(), expected.text);
    }
    EXPECT_EQ(form1->co->geometry(), QRect(623, 480, 132, 21));
    EXPECT_EQ(form1->List1->geometry(), QRect(492, 50, 294, 114));
    EXPECT_EQ(form1->bPasoPaso->geometry(), QRect(622, 177, 34, 32));
    EXPECT_TRUE(form1->bPasoPaso->text().isEmpty());
    EXPECT_EQ(form1->bPasoPaso->picture().size(), QSize(33, 31));
    EXPECT_EQ(form1->Label7->geometry(), QRect(507, 284, 265, 84));
}

TEST_F(Form1Layout, TitlesSitOnTheirStrips)
{
    struct Title {
        const char* text;
        QRect label;
        QRect strip;
    };
    const std::array<Title, 6> titles = {{
        {"Imagen Original", {162, 12, 188, 22}, {12, 12, 452, 25}},
        {"Pasos", {492, 13, 296, 22}, {490, 12, 299, 25}},
        {"Descripción", {491, 249, 296, 22}, {490, 249, 298, 25}},
        {"Controles", {490, 406, 296, 22}, {489, 405, 299, 25}},
        {"Modo", {510, 453, 96, 19}, {510, 448, 95, 25}},
        {"Imágenes", {614, 453, 151, 19}, {614, 448, 151, 25}},
    }};
    const QList<ImageControl*> images = form1->findChildren<ImageControl*>();
    for (const Title& title : titles) {
        QLabel* label = labelWithText(*form1, QString::fromUtf8(title.text));
        ASSERT_NE(label, nullptr) << title.text;
        EXPECT_EQ(label->geometry(), title.label) << title.text;
        const auto strip = std::find_if(images.begin(), images.end(),
                                        [&](ImageControl* image) { return image->geometry() == title.strip; });
        ASSERT_NE(strip, images.end()) << title.text;
        EXPECT_EQ((*strip)->picture().size(), QSize(223, 23));
        // The label is drawn over its strip: it comes later among the window's children.
        EXPECT_GT(form1->children().indexOf(label), form1->children().indexOf(*strip)) << title.text;
    }
}

TEST_F(Form1Layout, FramesOutlineTheGroups)
{
    std::vector<QRect> frames;
    for (RectangleShape* shape : form1->findChildren<RectangleShape*>())
        frames.push_back(shape->geometry());
    for (const QRect expected : {QRect(12, 36, 452, 556), QRect(490, 36, 299, 187), QRect(490, 273, 298, 104),
                                 QRect(489, 429, 299, 161), QRect(510, 472, 95, 102), QRect(614, 472, 151, 102)})
        EXPECT_NE(std::find(frames.begin(), frames.end(), expected), frames.end())
            << expected.x() << "," << expected.y();
    EXPECT_EQ(frames.size(), 6u);
}

TEST_F(Form1Layout, ClickAreasLieOverTheMeshIntersections)
{
    const MeshGeometry mesh = meshGeometry(pictureAreaWidth, pictureAreaHeight, 4);
    const std::array<ImageControl*, 9> zones = form1->zonas();
    for (int j = 0; j < 9; ++j) {
        ImageControl* zone = zones[j];
        EXPECT_EQ(zone->parentWidget(), form1->Picture1->surface());
        EXPECT_EQ(zone->size(), QSize(41, 41));
        EXPECT_TRUE(zone->picture().isNull());
        const PixelPosition intersection = mesh.intersection(j);
        const double centreX = zone->x() + 20.5;
        const double centreY = zone->y() + 20.5;
        EXPECT_LE(std::abs(centreX - intersection.x), 2.0) << j;
        EXPECT_LE(std::abs(centreY - intersection.y), 2.0) << j;
    }
    EXPECT_EQ(form1->zona11->geometry(), QRect(87, 106, 41, 41));
    EXPECT_EQ(form1->zona23->geometry(), QRect(304, 232, 41, 41));
    EXPECT_EQ(form1->zona32->geometry(), QRect(197, 360, 41, 41));
}

TEST_F(Form1Layout, FontsAreTheNamedOnesAtTheirSizes)
{
    const QFontInfo list(form1->List1->font());
    EXPECT_EQ(list.family(), "DejaVu Sans");
    EXPECT_TRUE(list.bold());
    EXPECT_EQ(list.pixelSize(), 12);
    EXPECT_TRUE(QFontInfo(form1->Label7->font()).bold());
    const QFontInfo title(labelWithText(*form1, "Pasos")->font());
    EXPECT_EQ(title.family(), "Liberation Serif");
    EXPECT_EQ(title.pixelSize(), 21);
    EXPECT_FALSE(title.bold());
    const QFontInfo modo(labelWithText(*form1, "Modo")->font());
    EXPECT_EQ(modo.family(), "DejaVu Sans");
    EXPECT_FALSE(modo.bold());
    const QFontInfo button(form1->bCargaImgs->font());
    EXPECT_EQ(button.family(), "Liberation Sans");
    EXPECT_EQ(button.pixelSize(), 11);
}

TEST_F(Form1Layout, EveryCaptionFitsItsControl)
{
    for (QLabel* label : form1->findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue;
        const QFontMetrics metrics(label->font());
        EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width()) << label->text().toStdString();
    }
    for (QPushButton* button : form1->findChildren<QPushButton*>()) {
        const QFontMetrics metrics(button->font());
        EXPECT_LE(metrics.horizontalAdvance(button->text()) + 8, button->width()) << button->text().toStdString();
    }
}

TEST_F(Form1Layout, EveryStageRowShowsWhole)
{
    ListBox& list = *form1->List1;
    form1->show();
    // The start-up rows, then every text a stage writes into the list, in the row it takes there.
    for (int paso = 1; paso <= walkthroughStageCount; ++paso) {
        const WalkthroughStage& stage = *walkthroughStage(paso);
        if (stage.levelRowText)
            list.setItemText(levelRow, QString::fromUtf8(stage.levelRowText));
        if (stage.addedRow)
            list.addItem(QString::fromUtf8(stage.addedRow));
        for (int row = 0; row < list.listCount(); ++row)
            EXPECT_TRUE(showsWhole(list, row)) << list.itemText(row).toStdString();
    }
}

TEST_F(Form1Layout, TheNextStepButtonShowsItsGreyAroundTheDisc)
{
    form1->show();
    for (bool enabled : {false, true}) {
        form1->bPasoPaso->setEnabled(enabled);
        const QImage shown = form1->bPasoPaso->grab().toImage();
        // Corners of the picture, outside the disc: white there is the transparent colour.
        EXPECT_EQ(shown.pixelColor(2, 2), QColor(0x80, 0x80, 0x80)) << enabled;
        EXPECT_EQ(shown.pixelColor(30, 28), QColor(0x80, 0x80, 0x80)) << enabled;
    }
}

TEST_F(Form1Layout, TheNextStepButtonHasASpokenName)
{
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(form1->bPasoPaso);
    ASSERT_NE(spoken, nullptr);
    EXPECT_EQ(spoken->text(QAccessible::Name), "Paso siguiente");
}

TEST_F(Form1Layout, ThePictureAreasSunkenBorderRunsToItsLastPixels)
{
    form1->show();
    const QImage shown = form1->Picture1->grab().toImage();
    const int right = shown.width() - 1;
    const int bottom = shown.height() - 1;
    const QColor white(255, 255, 255);
    const QColor light(212, 208, 200);
    for (int y = 1; y <= bottom; ++y)
        ASSERT_EQ(shown.pixelColor(right, y), white) << y;
    for (int x = 1; x <= right; ++x)
        ASSERT_EQ(shown.pixelColor(x, bottom), white) << x;
    for (int y = 2; y < bottom; ++y)
        ASSERT_EQ(shown.pixelColor(right - 1, y), light) << y;
    for (int x = 2; x < right; ++x)
        ASSERT_EQ(shown.pixelColor(x, bottom - 1), light) << x;
}

TEST_F(Form1Layout, BackgroundPictureCoversTheWindow)
{
    const QImage painted = form1->grab().toImage();
    const QImage background = resources::backgroundPicture();
    ASSERT_EQ(background.size(), QSize(800, 600));
    // Points of the panels that no control covers: the background shows as drawn.
    for (const QPoint at : {QPoint(5, 5), QPoint(470, 300), QPoint(795, 240), QPoint(600, 595), QPoint(478, 100)})
        EXPECT_EQ(painted.pixelColor(at), background.pixelColor(at)) << at.x() << "," << at.y();
}

} // namespace
} // namespace velsaro::testing
