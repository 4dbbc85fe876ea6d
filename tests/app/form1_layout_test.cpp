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

// The frame of the group under a title: the nearest frame below the title that spans its centre.
QRect groupFrame(const QWidget& window, const QString& title)
{
    const QRect label = labelWithText(window, title)->geometry();
    QRect nearest;
    for (const RectangleShape* frame : window.findChildren<RectangleShape*>()) {
        const QRect outline = frame->geometry();
        const bool isUnder = outline.top() > label.bottom() && outline.left() <= label.center().x() &&
                             label.center().x() <= outline.right();
        if (isUnder && (nearest.isNull() || outline.top() < nearest.top()))
            nearest = outline;
    }
    return nearest;
}

TEST_F(Form1Layout, EveryControlSitsInTheFrameOfItsGroupAndNoTwoOverlap)
{
    const std::vector<std::pair<const char*, std::vector<const QWidget*>>> groups = {
        {"Imagen Original", {form1->Picture1, form1->ProgressBar1}},
        {"Pasos", {form1->List1, form1->bPasoPaso}},
        {"Descripción", {form1->Label7}},
        {"Modo", {form1->bUnaSola, form1->bPaso, form1->bTodas}},
        {"Imágenes", {form1->co, form1->bCargaImgs, form1->bReset}},
    };
    std::vector<const QWidget*> controls;
    for (const auto& [title, members] : groups) {
        const QRect frame = groupFrame(*form1, QString::fromUtf8(title));
        for (const QWidget* control : members) {
            EXPECT_TRUE(frame.contains(control->geometry())) << title << ", control " << controls.size();
            controls.push_back(control);
        }
    }
    EXPECT_FALSE(anyTwoOverlap(controls));
}

TEST_F(Form1Layout, EveryTitleLiesOnItsStrip)
{
    for (QLabel* label : form1->findChildren<QLabel*>()) {
        if (label != form1->Label7) {
            EXPECT_TRUE(liesOnItsStrip(*label)) << label->text().toStdString();
        }
    }
}

TEST_F(Form1Layout, ClickAreasLieOverTheMeshIntersections)
{
    const MeshGeometry mesh = meshGeometry(pictureAreaWidth, pictureAreaHeight, 4);
    const std::array<ImageControl*, 9> zones = form1->zonas();
    for (int j = 0; j < 9; ++j) {
        ImageControl* zone = zones[j];
        EXPECT_EQ(zone->parentWidget(), form1->Picture1->surface());
        EXPECT_TRUE(zone->picture().isNull());
        const PixelPosition intersection = mesh.intersection(j);
        const QPointF centre = QRectF(zone->geometry()).center();
        EXPECT_LE(std::abs(centre.x() - intersection.x), 2.0) << j;
        EXPECT_LE(std::abs(centre.y() - intersection.y), 2.0) << j;
    }
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
