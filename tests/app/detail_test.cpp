// The intersection detail on its own: a picture in the picture area, the arrays of one level as the
// computation leaves them, the stage counter at that level, and a click on an enabled click area.
#include "tests/app/form1_fixture.h"
#include "tests/controls/qstring_printer.h"

#include "controls/flex_grid.h"
#include "controls/image_control.h"
#include "controls/picture_box.h"
#include "controls/user_number_text.h"
#include "engine/key_engine.h"
#include "windows/form3.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>

namespace velsaro::testing {
namespace {

// Every pixel of the drawing area has a colour of its own, so a sample read from the wrong place
// or drawn the wrong way round shows.
QImage distinctPixelsPicture()
{
    QImage picture(430, 503, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, 16 * (x / 256) + y / 256));
    return picture;
}

std::int32_t colourNumberAt(const QImage& picture, int x, int y)
{
    return numberOfColour(picture.pixelColor(x, y));
}

class DetailTest : public Form1Test {
protected:
    QImage picture = distinctPixelsPicture();
    LevelResult level;

    // The picture on show and the arrays the computation leaves for masks of size n, at stage paso,
    // with the click areas enabled as the walkthrough enables them.
    void prepare(std::int16_t paso, int n)
    {
        form1->show();
        form1->Picture1->setPicture(picture);
        level = computeLevel(n, [&](int x, int y) { return form1->Picture1->point(x, y); });
        form1->divisores = level.divisores;
        form1->coeficientes = level.coeficientes;
        form1->matrizP = level.matrizP;
        form1->matrizS = level.matrizS;
        form1->pasoActual = paso;
        for (ImageControl* zone : form1->zonas())
            zone->setEnabled(true);
    }

    static void click(ImageControl* zone) { QTest::mouseClick(zone, Qt::LeftButton, {}, QPoint(20, 20)); }

    // Checks every magnified pixel of intersection (row, column), counted from 1, in cells of f.
    void expectSample(PictureBox& sample, int n, int f, int row, int column)
    {
        const int x0 = 108 * column - n / 2;
        const int y0 = 127 * row - n / 2;
        const std::int32_t background = numberOfColour(sample.backgroundColour());
        for (int a = 0; a < n; ++a)
            for (int b = 0; b < n; ++b) {
                const std::int32_t expected = colourNumberAt(picture, x0 + a, y0 + b);
                const int left = a * f;
                const int top = b * f;
                ASSERT_EQ(sample.point(left + 2, top + 2), expected) << a << "," << b;
                ASSERT_EQ(sample.point(left + f - 1, top + f - 1), expected) << a << "," << b;
                // The 2-pixel grid lines at the top and left of the cell.
                ASSERT_EQ(sample.point(left, top + f / 2), background) << a << "," << b;
                ASSERT_EQ(sample.point(left + 1, top + f / 2), background) << a << "," << b;
                ASSERT_EQ(sample.point(left + f / 2, top + 1), background) << a << "," << b;
            }
        EXPECT_EQ(sample.point(240, 100), background);
        EXPECT_EQ(sample.point(100, 240), background);
    }

    void expectGrid(const FlexGrid& grid, int n, int j)
    {
        ASSERT_EQ(grid.rows(), n);
        ASSERT_EQ(grid.cols(), n);
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c)
                ASSERT_EQ(grid.textAt(r, c), twoDecimalUserText(level.coefficient(j, r, c))) << r << "," << c;
    }

    QString neighbourDigits(int j) const
    {
        QString digits;
        for (int neighbour : {0, 1, 2, 3, 5, 6, 7, 8})
            digits += QString::number(level.matrizS[j][neighbour]);
        return digits;
    }
};

TEST_F(DetailTest, Zona22AtLevelOneMagnifiesTheCentreMaskInSixteenSquares)
{
    prepare(6, 4);
    click(form1->zona22);
    Form3& form3 = *form1->form3;
    PictureBox& sample = *form3.Picture1;
    // The first square covers (2, 2) up to (60, 60), the last (182, 182) up to (240, 240).
    EXPECT_EQ(sample.point(2, 2), colourNumberAt(picture, 214, 252));
    EXPECT_EQ(sample.point(59, 59), colourNumberAt(picture, 214, 252));
    EXPECT_EQ(sample.point(182, 182), colourNumberAt(picture, 217, 255));
    EXPECT_EQ(sample.point(239, 239), colourNumberAt(picture, 217, 255));
    // a runs across: the second square to the right is the next pixel to the right.
    EXPECT_EQ(sample.point(62, 2), colourNumberAt(picture, 215, 252));
    EXPECT_EQ(sample.point(2, 62), colourNumberAt(picture, 214, 253));
    expectSample(sample, 4, 60, 2, 2);
    expectGrid(*form3.MSFlexGrid1, 4, 4);
    EXPECT_EQ(form3.Text1->text(), twoDecimalUserText(level.matrizP[1][1]));
    EXPECT_EQ(form3.Text4->text(), neighbourDigits(4));
    EXPECT_EQ(form3.frontPage(), 0);
}

TEST_F(DetailTest, TheKeyDigitsAreTheEightNeighboursInReadingOrder)
{
    prepare(6, 4);
    // Digits that tell every neighbour apart; the centre's -1 must not show.
    form1->matrizS[4] = {1, 0, 0, 1, -1, 1, 0, 1, 1};
    click(form1->zona22);
    EXPECT_EQ(form1->form3->Text4->text(), "10011011");
}

TEST_F(DetailTest, EveryZoneShowsItsOwnIntersection)
{
    prepare(9, 8);
    form1->pasoActual = 10;
    const std::array<ImageControl*, 9> zones = form1->zonas();
    for (int j = 0; j < 9; ++j) {
        click(zones[j]);
        Form3& form3 = *form1->form3;
        const int row = j / 3 + 1;
        const int column = j % 3 + 1;
        expectSample(*form3.Picture2, 8, 30, row, column);
        expectGrid(*form3.MSFlexGrid2, 8, j);
        EXPECT_EQ(form3.Text2->text(), twoDecimalUserText(level.matrizP[row - 1][column - 1])) << j;
        EXPECT_EQ(form3.Text3->text(), neighbourDigits(j)) << j;
        EXPECT_EQ(form3.frontPage(), 1);
    }
}

TEST_F(DetailTest, LevelThreeFillsAllTwoHundredFiftySixCells)
{
    prepare(14, 16);
    click(form1->zona33);
    Form3& form3 = *form1->form3;
    expectSample(*form3.Picture3, 16, 15, 3, 3);
    EXPECT_EQ(form3.Picture3->point(2, 2), colourNumberAt(picture, 316, 373));
    EXPECT_EQ(form3.Picture3->point(239, 239), colourNumberAt(picture, 331, 388));
    expectGrid(*form3.MSFlexGrid3, 16, 8);
    EXPECT_EQ(form3.frontPage(), 2);
}

// Whether the grid's view starts at cell (0, 0) in its top-left corner.
bool showsTopLeftCell(const FlexGrid& grid)
{
    return grid.table()->rowAt(0) == 0 && grid.table()->columnAt(0) == 0;
}

TEST_F(DetailTest, TheCoefficientGridShowsItsTopLeftCellAfterEveryClick)
{
    prepare(10, 8);
    click(form1->zona22);
    FlexGrid& grid = *form1->form3->MSFlexGrid2;
    EXPECT_TRUE(showsTopLeftCell(grid));
    // The user scrolls to the last cell, then clicks another intersection.
    grid.table()->scrollToBottom();
    grid.table()->horizontalScrollBar()->setValue(grid.table()->horizontalScrollBar()->maximum());
    ASSERT_FALSE(showsTopLeftCell(grid));
    click(form1->zona13);
    EXPECT_TRUE(showsTopLeftCell(grid));
}

TEST_F(DetailTest, ShownWithoutOwnerAndWithoutBlockingTheMainWindow)
{
    prepare(6, 4);
    click(form1->zona11);
    Form3& form3 = *form1->form3;
    EXPECT_TRUE(form3.isVisible());
    EXPECT_EQ(form3.parentWidget(), nullptr);
    EXPECT_EQ(form3.windowModality(), Qt::NonModal);
}

TEST_F(DetailTest, OutsideTheStagesOfALevelNothingIsFilledButTheWindowShows)
{
    prepare(7, 4);
    click(form1->zona22);
    Form3& form3 = *form1->form3;
    EXPECT_TRUE(form3.isVisible());
    EXPECT_EQ(form3.Text1->text(), "Text1");
    EXPECT_EQ(form3.Text4->text(), "Text4");
    EXPECT_TRUE(form3.MSFlexGrid1->textAt(0, 0).isEmpty());
    EXPECT_EQ(form3.Picture1->point(2, 2), numberOfColour(form3.Picture1->backgroundColour()));
}

TEST_F(DetailTest, ArraysOfAnotherLevelAreNotReadPastTheirEnd)
{
    // The arrays of level 1 while the stage counter names level 3: nothing is filled.
    prepare(14, 4);
    click(form1->zona33);
    EXPECT_TRUE(form1->form3->isVisible());
    EXPECT_EQ(form1->form3->Text5->text(), "Text5");
}

} // namespace
} // namespace velsaro::testing
