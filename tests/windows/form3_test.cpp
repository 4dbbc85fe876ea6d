#include "controls/flex_grid.h"
#include "controls/image_control.h"
#include "controls/picture_box.h"
#include "controls/rectangle_shape.h"
#include "tests/app/form1_fixture.h"
#include "tests/windows/what_the_user_sees.h"
#include "windows/form3.h"

#include <QLineEdit>
#include <QTableWidget>

namespace velsaro::testing {
namespace {

TEST(Form3Layout, CaptionSizeAndNoMinimiseOrMaximise)
{
    Form3 form;
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Datos de la intersección seleccionada"));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(form.isVisible());
}

TEST(Form3Layout, ThreePagesStackedAtOnePlaceTheFirstInFront)
{
    Form3 form;
    EXPECT_EQ(form.Frame1[1]->pos(), form.Frame1[0]->pos());
    EXPECT_EQ(form.Frame1[2]->pos(), form.Frame1[0]->pos());
    EXPECT_EQ(form.frontPage(), 0);
    // A point on the sample picture of every page belongs to the page in front.
    const QPoint onSample = form.Frame1[0]->geometry().topLeft() + QPoint(100, 100);
    EXPECT_TRUE(form.Frame1[0]->isAncestorOf(form.childAt(onSample)));
    form.Frame1[2]->raise();
    EXPECT_EQ(form.frontPage(), 2);
    EXPECT_TRUE(form.Frame1[2]->isAncestorOf(form.childAt(onSample)));
    form.Frame1[2]->lower();
    EXPECT_EQ(form.frontPage(), 0);
}

TEST(Form3Layout, SamplePicturesAreBlankWindowColouredSquares)
{
    Form3 form;
    const std::array<PictureBox*, 3> pictures = {form.Picture1, form.Picture2, form.Picture3};
    const std::int32_t windowColour = numberOfColour(form.palette().color(QPalette::Base));
    for (int level = 0; level < 3; ++level) {
        PictureBox* picture = pictures[level];
        EXPECT_EQ(picture->parentWidget(), form.Frame1[level]);
        // A square that holds a whole sample, 240 x 240 pixels, and the line of background after it.
        EXPECT_EQ(picture->width(), picture->height());
        EXPECT_EQ(picture->point(2, 2), windowColour);
        EXPECT_EQ(picture->point(240, 240), windowColour);
        EXPECT_FALSE(picture->hasPicture());
    }
}

TEST(Form3Layout, GridsHaveNRowsAndColumnsWithoutHeaders)
{
    Form3 form;
    const std::array<FlexGrid*, 3> grids = {form.MSFlexGrid1, form.MSFlexGrid2, form.MSFlexGrid3};
    for (int level = 0; level < 3; ++level) {
        const int n = 4 << level;
        FlexGrid* grid = grids[level];
        EXPECT_EQ(grid->parentWidget(), form.Frame1[level]);
        EXPECT_EQ(grid->rows(), n);
        EXPECT_EQ(grid->cols(), n);
        EXPECT_EQ(grid->fixedRows(), 0);
        EXPECT_EQ(grid->fixedCols(), 0);
        EXPECT_TRUE(grid->textAt(n - 1, n - 1).isEmpty());
    }
}

TEST(Form3Load, WidensTheFirstColumnOfTheFirstGridOnly)
{
    Form3 form;
    const auto shownWidth = [](const FlexGrid* grid, int col) { return grid->table()->columnWidth(col); };
    EXPECT_GT(shownWidth(form.MSFlexGrid1, 0), shownWidth(form.MSFlexGrid1, 1));
    for (const FlexGrid* grid : {form.MSFlexGrid1, form.MSFlexGrid2, form.MSFlexGrid3})
        EXPECT_EQ(grid->colWidth(1), FlexGrid::defaultColumnTwips);
    EXPECT_EQ(form.MSFlexGrid2->colWidth(0), FlexGrid::defaultColumnTwips);
    EXPECT_EQ(form.MSFlexGrid3->colWidth(0), FlexGrid::defaultColumnTwips);
}

TEST(Form3Layout, TextBoxesShowTheirDesignTextsCentredApartOnTheirPages)
{
    Form3 form;
    struct Box {
        QLineEdit* box;
        const char* text;
        int page;
    };
    for (const Box& expected : {Box{form.Text1, "Text1", 0}, Box{form.Text4, "Text4", 0},
                                Box{form.Text2, "Text2", 1}, Box{form.Text3, "Text3", 1},
                                Box{form.Text5, "Text5", 2}, Box{form.Text6, "Text6", 2}}) {
        EXPECT_EQ(expected.box->text(), expected.text);
        EXPECT_EQ(expected.box->parentWidget(), form.Frame1[expected.page]) << expected.text;
        EXPECT_EQ(expected.box->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    }
    const std::array<PictureBox*, 3> pictures = {form.Picture1, form.Picture2, form.Picture3};
    const std::array<FlexGrid*, 3> grids = {form.MSFlexGrid1, form.MSFlexGrid2, form.MSFlexGrid3};
    const std::array<std::pair<QLineEdit*, QLineEdit*>, 3> boxes = {
        {{form.Text1, form.Text4}, {form.Text2, form.Text3}, {form.Text5, form.Text6}}};
    for (int level = 0; level < 3; ++level)
        EXPECT_FALSE(anyTwoOverlap({pictures[level], grids[level], boxes[level].first, boxes[level].second}))
            << level;
}

TEST(Form3Layout, EveryPageHasItsFourCaptionedSections)
{
    Form3 form;
    const std::array<const char*, 3> samples = {"Muestra de tamaño 4x4", "Muestra de tamaño 8x8",
                                                "Muestra de tamaño 16x16"};
    for (int level = 0; level < 3; ++level) {
        QWidget& page = *form.Frame1[level];
        for (const char* caption : {samples[level], "Matriz de Coeficientes", "Promedio", "Clave"}) {
            QLabel* label = labelWithText(page, QString::fromUtf8(caption));
            ASSERT_NE(label, nullptr) << caption;
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << caption;
            EXPECT_TRUE(liesOnItsStrip(*label)) << caption;
        }
        EXPECT_EQ(page.findChildren<ImageControl*>().size(), 4);
        EXPECT_EQ(page.findChildren<RectangleShape*>().size(), 4);
    }
}

TEST(Form3Drawing, WhatIsDrawnBeforeTheWindowIsShownStays)
{
    Form3 form;
    form.Picture2->fillBox(2, 2, 30, 30, 255);
    form.show();
    form.Frame1[1]->raise();
    EXPECT_EQ(form.Picture2->point(10, 10), 255);
    const QImage painted = form.Picture2->grab().toImage();
    EXPECT_EQ(painted.pixelColor(PictureBox::borderWidth + 10, PictureBox::borderWidth + 10), QColor(255, 0, 0));
}

TEST(Form3Look, ANumberThatNearlyFillsAColumnShowsItsDigits)
{
    Form3 form;
    FlexGrid& grid = *form.MSFlexGrid2;
    grid.setRow(0);
    grid.setCol(1);
    grid.setText("1033078,96");
    grid.setCol(2);
    grid.setText("-103307,96");
    // The (0, 0) coefficient of a 16 x 16 mask on a bright picture.
    grid.setCol(3);
    grid.setText("-1581703012,34");
    form.Frame1[1]->raise();
    form.show();
    EXPECT_EQ(grid.table()->columnWidth(1), 64);
    EXPECT_TRUE(showsWhole(grid, 0, 1));
    EXPECT_TRUE(showsWhole(grid, 0, 2));
    EXPECT_TRUE(showsWhole(grid, 0, 3));
}

// Whether the focus is on a control of page.
bool focusIsOn(const QWidget& page)
{
    return page.isAncestorOf(QApplication::focusWidget());
}

TEST(Form3Focus, StartsOnThePageInFrontAndTabStaysThere)
{
    Form3 form;
    form.Frame1[1]->raise();
    form.show();
    QApplication::setActiveWindow(&form);
    EXPECT_TRUE(focusIsOn(*form.Frame1[1]));
    for (int press = 0; press < 8; ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(focusIsOn(*form.Frame1[1])) << press;
    }
    // Another page brought forward takes the focus along.
    form.Frame1[2]->raise();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(focusIsOn(*form.Frame1[2]));
}

using Form3Lifecycle = Form1Test;

TEST_F(Form3Lifecycle, ClosedAndReferencedAgainItIsFreshWithItsLoadStepDone)
{
    form1->form3->Text1->setText("12,5");
    form1->form3->MSFlexGrid1->setColWidth(0, 3000);
    form1->form3.show();
    QPointer<Form3> first = &*form1->form3;
    first->close();
    EXPECT_FALSE(form1->form3.exists());
    runDeferredDeletes();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(form1->form3->Text1->text(), "Text1");
    EXPECT_EQ(form1->form3->MSFlexGrid1->colWidth(0), Form3().MSFlexGrid1->colWidth(0));
    EXPECT_FALSE(form1->form3->isVisible());
}

} // namespace
} // namespace velsaro::testing
