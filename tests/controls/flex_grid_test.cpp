#include "controls/colours_and_twips.h"
#include "controls/flex_grid.h"
#include "tests/controls/qstring_printer.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using velsaro::FlexGrid;
using velsaro::pixelsToTwips;

constexpr std::int32_t blue = 16711680;
constexpr std::int32_t red = 255;
constexpr std::int32_t white = 16777215;

// The keys window's grid: one column, a header row and one empty row.
void makeKeysShape(FlexGrid& grid)
{
    grid.setRows(2);
    grid.setCols(1);
    grid.setFixedRows(1);
    grid.setFixedCols(0);
}

void writeCell(FlexGrid& grid, int row, int col, const QString& text)
{
    ASSERT_TRUE(grid.setCol(col));
    ASSERT_TRUE(grid.setRow(row));
    ASSERT_TRUE(grid.setText(text));
}

// What a compare run does with its keys: each written into row i, followed by an empty row, and the
// last empty row removed at the end.
void writeKeys(FlexGrid& grid, const QStringList& keys)
{
    for (int i = 1; i <= keys.size(); ++i) {
        writeCell(grid, i, 0, keys[i - 1]);
        grid.addItem();
    }
    ASSERT_TRUE(grid.removeItem(int(keys.size()) + 1));
}

QRect cellRect(const FlexGrid& grid, int row, int col)
{
    return grid.table()->visualItemRect(grid.table()->item(row, col));
}

QImage grabCell(const FlexGrid& grid, int row, int col)
{
    return grid.table()->viewport()->grab(cellRect(grid, row, col)).toImage();
}

int colourNumber(QRgb rgb)
{
    return qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb);
}

// Columns of the picture that hold at least one pixel far from the background colour.
std::pair<int, int> inkColumns(const QImage& picture, QRgb background)
{
    int first = picture.width();
    int last = -1;
    for (int y = 2; y < picture.height() - 2; ++y)
        for (int x = 2; x < picture.width() - 2; ++x)
            if (std::abs(qGray(picture.pixel(x, y)) - qGray(background)) > 60) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return {first, last};
}

TEST(FlexGridShape, NewGridHasTwoRowsAndColumnsTheFirstOfEachFixed)
{
    FlexGrid grid;
    EXPECT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.cols(), 2);
    EXPECT_EQ(grid.fixedRows(), 1);
    EXPECT_EQ(grid.fixedCols(), 1);
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.col(), 1);
}

TEST(FlexGridShape, KeysWindowShapeHasOneColumnAndAHeaderRow)
{
    FlexGrid grid;
    makeKeysShape(grid);
    EXPECT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.cols(), 1);
    EXPECT_EQ(grid.table()->rowCount(), 2);
    EXPECT_EQ(grid.table()->columnCount(), 1);
    EXPECT_EQ(grid.fixedRows(), 1);
    EXPECT_EQ(grid.fixedCols(), 0);
}

TEST(FlexGridShape, FixedCountsNeverExceedTheShape)
{
    FlexGrid grid;
    grid.setFixedRows(5);
    EXPECT_EQ(grid.fixedRows(), 2);
    grid.setRows(1);
    EXPECT_EQ(grid.fixedRows(), 1);
    EXPECT_EQ(grid.row(), 0);
}

TEST(FlexGridShape, ShrinkingKeepsTheCurrentCellInside)
{
    FlexGrid grid;
    grid.setRows(16);
    grid.setCols(16);
    ASSERT_TRUE(grid.setRow(15));
    ASSERT_TRUE(grid.setCol(15));
    grid.setRows(4);
    grid.setCols(4);
    EXPECT_EQ(grid.row(), 3);
    EXPECT_EQ(grid.col(), 3);
    EXPECT_TRUE(grid.setText(QStringLiteral("x")));
    EXPECT_EQ(grid.textAt(3, 3), QStringLiteral("x"));
}

TEST(FlexGridShape, RowsFitOneLineOfTheGridsFont)
{
    FlexGrid grid;
    QFont small = grid.font();
    small.setPixelSize(11);
    grid.setFont(small);
    const int smallRow = grid.table()->rowHeight(1);
    EXPECT_GE(smallRow, QFontMetrics(small).height());
    QFont large = small;
    large.setPixelSize(30);
    grid.setFont(large);
    grid.addItem();
    EXPECT_GE(grid.table()->rowHeight(1), QFontMetrics(large).height());
    EXPECT_EQ(grid.table()->rowHeight(2), grid.table()->rowHeight(1));
    EXPECT_LT(smallRow, grid.table()->rowHeight(1));
}

TEST(FlexGridCurrentCell, TextGoesToTheCurrentCellOnly)
{
    FlexGrid grid;
    makeKeysShape(grid);
    writeCell(grid, 0, 0, QStringLiteral("Estas son las Claves obtenidas"));
    writeCell(grid, 1, 0, QStringLiteral("1.2.3."));
    EXPECT_EQ(grid.textAt(0, 0), QStringLiteral("Estas son las Claves obtenidas"));
    EXPECT_EQ(grid.textAt(1, 0), QStringLiteral("1.2.3."));
    EXPECT_EQ(grid.text(), QStringLiteral("1.2.3."));
    EXPECT_EQ(grid.table()->item(1, 0)->text(), QStringLiteral("1.2.3."));
}

TEST(FlexGridCurrentCell, RowOrColumnOutsideTheGridIsRefusedAndTheCurrentCellStays)
{
    FlexGrid grid;
    makeKeysShape(grid);
    writeCell(grid, 1, 0, QStringLiteral("before"));
    EXPECT_FALSE(grid.setRow(2));
    EXPECT_FALSE(grid.setRow(-1));
    EXPECT_FALSE(grid.setCol(1));
    EXPECT_EQ(grid.row(), 1);
    EXPECT_EQ(grid.col(), 0);
    ASSERT_TRUE(grid.setText(QStringLiteral("after")));
    EXPECT_EQ(grid.textAt(1, 0), QStringLiteral("after"));
    EXPECT_EQ(grid.rows(), 2);
}

TEST(FlexGridCurrentCell, NoCellToWriteInAnEmptyGrid)
{
    FlexGrid grid;
    grid.setRows(0);
    EXPECT_FALSE(grid.setText(QStringLiteral("x")));
    EXPECT_FALSE(grid.setCellBackColor(blue));
    EXPECT_EQ(grid.text(), QString());
}

TEST(FlexGridRows, AddItemAppendsOneRowAtTheEnd)
{
    FlexGrid grid;
    grid.setCols(3);
    writeCell(grid, 1, 0, QStringLiteral("kept"));
    grid.addItem();
    grid.addItem(QStringLiteral("a\tb"));
    ASSERT_EQ(grid.rows(), 4);
    EXPECT_EQ(grid.textAt(1, 0), QStringLiteral("kept"));
    EXPECT_EQ(grid.textAt(2, 0), QString());
    EXPECT_EQ(grid.textAt(3, 0), QStringLiteral("a"));
    EXPECT_EQ(grid.textAt(3, 1), QStringLiteral("b"));
    EXPECT_EQ(grid.textAt(3, 2), QString());
}

TEST(FlexGridRows, RemoveItemTakesOutThatRowAndMovesTheRestUp)
{
    FlexGrid grid;
    makeKeysShape(grid);
    for (const char* text : {"a", "b", "c"})
        grid.addItem(QString::fromLatin1(text));
    ASSERT_TRUE(grid.removeItem(3));
    ASSERT_EQ(grid.rows(), 4);
    EXPECT_EQ(grid.textAt(2, 0), QStringLiteral("a"));
    EXPECT_EQ(grid.textAt(3, 0), QStringLiteral("c"));
}

TEST(FlexGridRows, RemoveItemRefusesHeaderRowsRowsOutsideAndTheLastDataRow)
{
    FlexGrid grid;
    makeKeysShape(grid);
    EXPECT_FALSE(grid.removeItem(0));
    EXPECT_FALSE(grid.removeItem(2));
    EXPECT_FALSE(grid.removeItem(1));
    EXPECT_EQ(grid.rows(), 2);
}

TEST(FlexGridRows, OneKeyLeavesTheHeaderAndThatRow)
{
    FlexGrid grid;
    makeKeysShape(grid);
    writeKeys(grid, {QStringLiteral("k1.")});
    ASSERT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.textAt(1, 0), QStringLiteral("k1."));
}

TEST(FlexGridRows, SecondRunInTheSameGridLeavesCountMinusOneEmptyRows)
{
    FlexGrid grid;
    makeKeysShape(grid);
    const QStringList keys{QStringLiteral("a."), QStringLiteral("b."), QStringLiteral("c.")};
    writeKeys(grid, keys);
    ASSERT_EQ(grid.rows(), 4);
    writeKeys(grid, keys);
    ASSERT_EQ(grid.rows(), 6);
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(grid.textAt(row, 0), keys[row - 1]);
    EXPECT_EQ(grid.textAt(4, 0), QString());
    EXPECT_EQ(grid.textAt(5, 0), QString());
}

TEST(FlexGridRows, ClearEmptiesTextsAndColoursButKeepsShapeWidthsAndCurrentCell)
{
    FlexGrid grid;
    makeKeysShape(grid);
    grid.addItem();
    ASSERT_TRUE(grid.setColWidth(0, 8700));
    writeCell(grid, 0, 0, QStringLiteral("header"));
    writeCell(grid, 2, 0, QStringLiteral("key"));
    ASSERT_TRUE(grid.setCellBackColor(blue));
    ASSERT_TRUE(grid.setCellForeColor(white));
    const std::int32_t plainBack = grid.cellBackColorAt(1, 0);
    const std::int32_t plainFore = grid.cellForeColorAt(1, 0);
    grid.clear();
    EXPECT_EQ(grid.rows(), 3);
    EXPECT_EQ(grid.textAt(0, 0), QString());
    EXPECT_EQ(grid.textAt(2, 0), QString());
    EXPECT_EQ(grid.cellBackColorAt(2, 0), plainBack);
    EXPECT_EQ(grid.cellForeColorAt(2, 0), plainFore);
    EXPECT_EQ(grid.colWidth(0), 8700);
    EXPECT_EQ(grid.row(), 2);
}

TEST(FlexGridColours, CurrentCellTakesItsColourNumbersAndOthersKeepTheirs)
{
    FlexGrid grid;
    makeKeysShape(grid);
    grid.addItem();
    const std::int32_t plainBack = grid.cellBackColorAt(2, 0);
    writeCell(grid, 1, 0, QStringLiteral("k"));
    ASSERT_TRUE(grid.setCellForeColor(white));
    ASSERT_TRUE(grid.setCellBackColor(blue));
    EXPECT_EQ(grid.cellBackColorAt(1, 0), blue);
    EXPECT_EQ(grid.cellForeColorAt(1, 0), white);
    EXPECT_EQ(grid.cellBackColorAt(2, 0), plainBack);
    EXPECT_NE(plainBack, blue);
}

TEST(FlexGridColours, NumbersOutsideTheColourRangeAreRefused)
{
    FlexGrid grid;
    ASSERT_TRUE(grid.setCellBackColor(red));
    EXPECT_FALSE(grid.setCellBackColor(-1));
    EXPECT_FALSE(grid.setCellBackColor(16777216));
    EXPECT_FALSE(grid.setCellForeColor(-5));
    EXPECT_EQ(grid.cellBackColorAt(1, 1), red);
}

TEST(FlexGridColours, CellIsPaintedInItsBackgroundAndTextColours)
{
    FlexGrid grid;
    makeKeysShape(grid);
    grid.resize(300, 100);
    grid.setColWidth(0, pixelsToTwips(250));
    writeCell(grid, 1, 0, QStringLiteral("244.224.233."));
    ASSERT_TRUE(grid.setCellForeColor(white));
    ASSERT_TRUE(grid.setCellBackColor(blue));
    // Away from the current cell, which the style marks with a focus tint of its own.
    ASSERT_TRUE(grid.setRow(0));
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));

    const QImage cell = grabCell(grid, 1, 0);
    ASSERT_FALSE(cell.isNull());
    EXPECT_EQ(colourNumber(cell.pixel(cell.width() - 4, cell.height() / 2)), blue);
    int whiteText = 0;
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < cell.width(); ++x)
            whiteText += qRed(cell.pixel(x, y)) > 200 && qGreen(cell.pixel(x, y)) > 200;
    EXPECT_GT(whiteText, 5);
}

TEST(FlexGridWidths, ColumnWidthsAreInTwipsFifteenToThePixel)
{
    FlexGrid grid;
    grid.setCols(4);
    ASSERT_TRUE(grid.setColWidth(0, 8700));
    ASSERT_TRUE(grid.setColWidth(1, 1200));
    ASSERT_TRUE(grid.setColWidth(2, 1000));
    EXPECT_EQ(grid.table()->columnWidth(0), 580);
    EXPECT_EQ(grid.table()->columnWidth(1), 80);
    EXPECT_EQ(grid.table()->columnWidth(2), 67);
    EXPECT_EQ(grid.colWidth(0), 8700);
    EXPECT_EQ(grid.colWidth(1), 1200);
    EXPECT_EQ(grid.colWidth(2), 1005);
    EXPECT_EQ(grid.colWidth(3), FlexGrid::defaultColumnTwips);
    EXPECT_FALSE(grid.setColWidth(4, 1200));
    EXPECT_EQ(grid.colWidth(4), -1);
}

TEST(FlexGridAlignment, CentredColumnShowsItsTextInTheMiddle)
{
    FlexGrid grid;
    makeKeysShape(grid);
    grid.resize(320, 100);
    grid.setColWidth(0, pixelsToTwips(300));
    ASSERT_TRUE(grid.setColAlignment(0, FlexGrid::Centre));
    writeCell(grid, 1, 0, QStringLiteral("12.34.56."));
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));

    const QImage cell = grabCell(grid, 1, 0);
    const auto [first, last] = inkColumns(cell, cell.pixel(cell.width() / 2, 1));
    ASSERT_LT(first, last);
    EXPECT_NEAR(first, cell.width() - 1 - last, 3);
    EXPECT_EQ(grid.table()->item(1, 0)->textAlignment(), int(Qt::AlignCenter));
    EXPECT_EQ(grid.colAlignment(0), 4);
}

TEST(FlexGridAlignment, GeneralPutsTextLeftAndNumbersRight)
{
    FlexGrid grid;
    grid.setCols(3);
    grid.setRows(3);
    writeCell(grid, 1, 1, QStringLiteral("abc"));
    writeCell(grid, 1, 2, QStringLiteral("-12.5"));
    EXPECT_EQ(grid.colAlignment(1), FlexGrid::General);
    EXPECT_TRUE(grid.table()->item(1, 1)->textAlignment() & Qt::AlignLeft);
    EXPECT_TRUE(grid.table()->item(1, 2)->textAlignment() & Qt::AlignRight);
    EXPECT_FALSE(grid.setColAlignment(1, 10));
    EXPECT_FALSE(grid.setColAlignment(3, 4));
}

class ShownKeysGrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeKeysShape(grid);
        writeKeys(grid, {QStringLiteral("a."), QStringLiteral("b."), QStringLiteral("c.")});
        grid.resize(300, 150);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
        ASSERT_TRUE(grid.setRow(3));
    }

    QPoint centreOf(int row) const { return cellRect(grid, row, 0).center(); }

    // Through the window system, as a user's double-click arrives: press, release, press with the
    // double-click, release.
    void doubleClickRow(int row)
    {
        QWidget* viewport = grid.table()->viewport();
        QTest::mouseDClick(grid.windowHandle(), Qt::LeftButton, {}, viewport->mapTo(&grid, centreOf(row)));
    }

    FlexGrid grid;
};

TEST_F(ShownKeysGrid, DoubleClickOnARowMakesItCurrentAndSignals)
{
    QSignalSpy doubleClicks(&grid, &FlexGrid::doubleClicked);
    doubleClickRow(2);
    EXPECT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(grid.row(), 2);
}

TEST_F(ShownKeysGrid, DoubleClickOnTheHeaderSignalsButLeavesTheCurrentRow)
{
    QSignalSpy doubleClicks(&grid, &FlexGrid::doubleClicked);
    doubleClickRow(0);
    EXPECT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(grid.row(), 3);
}

TEST_F(ShownKeysGrid, ClickOnTheHeaderLeavesTheCurrentRow)
{
    QTest::mouseClick(grid.table()->viewport(), Qt::LeftButton, {}, centreOf(0));
    EXPECT_EQ(grid.row(), 3);
    QTest::mouseClick(grid.table()->viewport(), Qt::LeftButton, {}, centreOf(1));
    EXPECT_EQ(grid.row(), 1);
}

} // namespace
