#include "controls/combo_box.h"
#include "controls/picture_box.h"
#include "controls/flex_grid.h"
#include "controls/rectangle_shape.h"
#include "tests/app/form1_fixture.h"
#include "tests/windows/fake_main_window.h"
#include "tests/windows/what_the_user_sees.h"
#include "windows/form2.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>

namespace velsaro::testing {
namespace {

void doubleClickRow(FlexGrid& grid, int row)
{
    QTableWidget* table = grid.table();
    const QRect cell = table->visualRect(table->model()->index(row, 0));
    ASSERT_TRUE(cell.isValid()) << row;
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
}

// A grid as a compare run of count images leaves it.
void fillKeys(FlexGrid& grid, int count)
{
    grid.setRows(count + 1);
    for (int row = 1; row <= count; ++row) {
        grid.setCol(0);
        grid.setRow(row);
        grid.setText(QString("%1.").arg(row));
    }
}

TEST(Form2Layout, CaptionFixedSizeAndControlsApartInsideTheFrame)
{
    FakeMainWindow main;
    Form2 form(main);
    EXPECT_EQ(form.windowTitle(), "Claves");
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form.aceptar->text(), "Aceptar");
    QLabel* title = labelWithText(form, "Claves");
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(liesOnItsStrip(*title));
    const QList<RectangleShape*> frames = form.findChildren<RectangleShape*>();
    ASSERT_EQ(frames.size(), 1);
    EXPECT_TRUE(frames[0]->geometry().contains(form.GridClaves->geometry()));
    EXPECT_TRUE(frames[0]->geometry().contains(form.aceptar->geometry()));
    EXPECT_FALSE(anyTwoOverlap({form.GridClaves, form.aceptar}));
}

TEST(Form2Layout, OpensCentredOnTheScreen)
{
    FakeMainWindow main;
    Form2 form(main);
    form.show();
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((form.geometry().center() - screenCentre).manhattanLength(), 60);
}

TEST(Form2Layout, TabGoesFromTheGridToAceptarAndBack)
{
    FakeMainWindow main;
    Form2 form(main);
    EXPECT_EQ(focusAfterTab(form, *form.GridClaves), form.aceptar);
    EXPECT_EQ(focusAfterTab(form, *form.aceptar), form.GridClaves->table());
}

TEST(Form2Load, ShowsTheHeaderAcrossTheWholeGridOverOneEmptyKeyRow)
{
    FakeMainWindow main;
    Form2 form(main);
    FlexGrid& grid = *form.GridClaves;
    EXPECT_EQ(grid.textAt(0, 0), "Estas son las Claves obtenidas");
    EXPECT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.cols(), 1);
    EXPECT_TRUE(grid.textAt(1, 0).isEmpty());
    EXPECT_EQ(grid.table()->columnWidth(0), grid.width());
    EXPECT_EQ(grid.colAlignment(0), FlexGrid::Centre);
    EXPECT_FALSE(form.isVisible());
}

TEST(Form2DoubleClick, OnARowSelectsItsImageAndBringsTheMainWindowForward)
{
    FakeMainWindow main;
    main.entries = 3;
    Form2 form(main);
    fillKeys(*form.GridClaves, 3);
    form.show();
    doubleClickRow(*form.GridClaves, 3);
    EXPECT_EQ(main.selected, std::vector<int>{2});
    EXPECT_EQ(main.broughtToFront, 1);
    doubleClickRow(*form.GridClaves, 1);
    EXPECT_EQ(main.selected, (std::vector<int>{2, 0}));
}

TEST(Form2DoubleClick, OnARowWithoutAnImageChangesNothing)
{
    FakeMainWindow main;
    main.entries = 2;
    Form2 form(main);
    // Four key rows over two selector entries: rows 3 and 4 have no image behind them.
    fillKeys(*form.GridClaves, 4);
    form.show();
    doubleClickRow(*form.GridClaves, 3);
    doubleClickRow(*form.GridClaves, 4);
    EXPECT_TRUE(main.selected.empty());
    // Once the images are unloaded no row has an image behind it.
    main.entries = 0;
    doubleClickRow(*form.GridClaves, 1);
    EXPECT_TRUE(main.selected.empty());
    EXPECT_EQ(main.broughtToFront, 0);
}

TEST(Form2DoubleClick, OnTheHeaderSelectsNothing)
{
    FakeMainWindow main;
    main.entries = 1;
    Form2 form(main);
    fillKeys(*form.GridClaves, 1);
    form.GridClaves->setRow(0);
    form.show();
    const QRect header = form.GridClaves->table()->visualRect(form.GridClaves->table()->model()->index(0, 0));
    ASSERT_TRUE(header.isValid());
    QTest::mouseDClick(form.GridClaves->table()->viewport(), Qt::LeftButton, {}, header.center());
    EXPECT_TRUE(main.selected.empty());
}

// The widest key there is: 27 codes of three digits.
const QString widestKey = QString("255.").repeated(27);

TEST(Form2Look, AKeyOfThreeDigitCodesShowsWhole)
{
    FakeMainWindow main;
    Form2 form(main);
    fillKeys(*form.GridClaves, 1);
    form.GridClaves->setText(widestKey);
    form.show();
    EXPECT_TRUE(showsWhole(*form.GridClaves, 1, 0));
    EXPECT_TRUE(showsWhole(*form.GridClaves, 0, 0));
}

TEST(Form2Look, EveryRowShowsItsOwnColourTheCurrentOneWithTheFocusToo)
{
    FakeMainWindow main;
    Form2 form(main);
    FlexGrid& grid = *form.GridClaves;
    const std::vector<std::int32_t> colours = {16711680, 255, 65535}; // blue, red, yellow
    fillKeys(grid, int(colours.size()));
    for (int row = 1; row <= int(colours.size()); ++row) {
        grid.setRow(row);
        grid.setCellBackColor(colours[std::size_t(row - 1)]);
    }
    // The last key row is current, as a compare run leaves it; the user tabs into the grid.
    EXPECT_EQ(focusAfterTab(form, *form.aceptar), grid.table());
    const QImage shown = grid.table()->viewport()->grab().toImage();
    for (int row = 1; row <= int(colours.size()); ++row) {
        const QRect cell = grid.table()->visualRect(grid.table()->model()->index(row, 0));
        EXPECT_EQ(shown.pixelColor(cell.left() + 6, cell.center().y()), colourOfNumber(colours[std::size_t(row - 1)]))
            << row;
    }
}

TEST(Form2Copy, CtrlCCopiesTheCurrentKeyAndTheMenuEveryKeyOnePerLine)
{
    FakeMainWindow main;
    Form2 form(main);
    FlexGrid& grid = *form.GridClaves;
    fillKeys(grid, 2);
    grid.setText(widestKey);
    QGuiApplication::clipboard()->clear();
    focusAfterTab(form, *form.aceptar);
    QTest::keyClick(grid.table(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), widestKey);

    QWidget& cells = *grid.table()->viewport();
    const QStringList offered = chooseFromContextMenu(cells, QPoint(10, 30), "Copiar todas las claves");
    EXPECT_EQ(offered, QStringList({"Copiar clave", "Copiar todas las claves"}));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1.\n" + widestKey);
}

TEST(Form2Copy, TheKeysMoveTheRowThatIsFramedCopiedAndToldToAScreenReader)
{
    FakeMainWindow main;
    Form2 form(main);
    fillKeys(*form.GridClaves, 4);
    form.GridClaves->setRow(1);
    form.GridClaves->setCellBackColor(65535); // yellow
    focusAfterTab(form, *form.aceptar);
    QTableWidget& table = *form.GridClaves->table();
    const auto cell = [&](int row) { return table.visualRect(table.model()->index(row, 0)); };
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, cell(2).center());
    QStringList copied;
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home}) {
        QTest::keyClick(&table, key);
        QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
        copied.append(QGuiApplication::clipboard()->text());
    }
    EXPECT_EQ(copied, QStringList({"3.", "4.", "1.", "4.", "1."}));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&table)->focusChild()->text(QAccessible::Name), "1.");
    const QImage shown = table.viewport()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(cell(1).topLeft()), QColor(Qt::black));
    EXPECT_EQ(shown.pixelColor(cell(1).topLeft() + QPoint(1, 1)), QColor(Qt::white));
    EXPECT_EQ(shown.pixelColor(cell(1).left() + 6, cell(1).center().y()), QColor(Qt::yellow));
    EXPECT_EQ(shown.pixelColor(cell(2).topLeft()), shown.pixelColor(cell(2).left() + 6, cell(2).center().y()));
}

using Form2Lifecycle = Form1Test;

TEST_F(Form2Lifecycle, FirstReferenceCreatesItHiddenAceptarDestroysItTheNextIsFresh)
{
    form1->show();
    FlexGrid* firstGrid = form1->form2->GridClaves;
    EXPECT_FALSE(form1->form2->isVisible());
    fillKeys(*firstGrid, 3);
    firstGrid->setRow(2);
    firstGrid->setCellBackColor(255);
    form1->form2.show();
    QPointer<Form2> first = &*form1->form2;

    QTest::mouseClick(form1->form2->aceptar, Qt::LeftButton);
    EXPECT_FALSE(form1->form2.exists());
    runDeferredDeletes();
    EXPECT_TRUE(first.isNull());

    FlexGrid& grid = *form1->form2->GridClaves;
    EXPECT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.textAt(0, 0), "Estas son las Claves obtenidas");
    EXPECT_TRUE(grid.textAt(1, 0).isEmpty());
    EXPECT_NE(grid.cellBackColorAt(1, 0), 255);
    EXPECT_FALSE(form1->form2->isVisible());
}

TEST_F(Form2Lifecycle, TheCloseBoxUnloadsLikeAceptar)
{
    form1->form2.show();
    QPointer<Form2> first = &*form1->form2;
    first->close();
    EXPECT_FALSE(form1->form2.exists());
    runDeferredDeletes();
    EXPECT_TRUE(first.isNull());
}

TEST_F(Form2Lifecycle, DoubleClickSelectsTheEntryOfTheMainWindowsSelector)
{
    for (const char* entry : {"1:a.bmp", "2:b.bmp", "3:c.bmp"})
        form1->co->addItem(entry);
    form1->co->setListIndex(2);
    // As a load leaves it: a selector the user can pick from, so the keys window may pick too.
    form1->co->setEnabled(true);
    form1->show();
    fillKeys(*form1->form2->GridClaves, 3);
    form1->form2.show();
    doubleClickRow(*form1->form2->GridClaves, 2);
    EXPECT_EQ(form1->co->listIndex(), 1);
    // Below the last entry: the selection stays.
    fillKeys(*form1->form2->GridClaves, 5);
    doubleClickRow(*form1->form2->GridClaves, 5);
    EXPECT_EQ(form1->co->listIndex(), 1);
}

} // namespace
} // namespace velsaro::testing
