#include "tests/app/loaded_form1.h"

#include "controls/flex_grid.h"
#include "controls/picture_box.h"
#include "controls/progress_bar.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form_clave_sola.h"

#include <QTableWidget>

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

class Selection : public LoadedForm1Test {
protected:
    void SetUp() override
    {
        form1->show();
        load(pictures);
    }

    const std::vector<QImage> pictures = {variedPicture(430, 503, 41), variedPicture(300, 200, 42),
                                          variedPicture(430, 503, 43)};
};

TEST_F(Selection, PickingAnEntryShowsItsPictureAndChangesNothingElse)
{
    pickEntry(1);
    EXPECT_TRUE(samePixels(form1->Picture1->picture(), pictures[1]));
    // The smaller picture leaves the grey background beyond its right and bottom edges.
    EXPECT_EQ(form1->Picture1->point(350, 100), 12632256);
    pickEntry(0);
    EXPECT_TRUE(samePixels(form1->Picture1->picture(), pictures[0]));
    EXPECT_EQ(enabledControls(*form1), picturesLoaded);
    EXPECT_FALSE(form1->form2.isShown());
    EXPECT_TRUE(form1->claves[0].isEmpty());
    EXPECT_EQ(form1->ImageList1.count(), 3);
}

TEST_F(Selection, DescargarEmptiesTheOpenResultsWindowsAndLeavesThemOpen)
{
    QTest::mouseClick(form1->bTodas, Qt::LeftButton);
    QTest::mouseClick(form1->bUnaSola, Qt::LeftButton);
    form1->form3->Picture1->fillBox(2, 2, 60, 60, 255);
    form1->form3->Picture3->fillBox(2, 2, 17, 17, 65280);
    ASSERT_TRUE(form1->form2.isShown());
    ASSERT_TRUE(form1->formClaveSola.isShown());
    form1->modoPaso = true;
    form1->pasoActual = 6;

    QTest::mouseClick(form1->bReset, Qt::LeftButton);

    EXPECT_EQ(enabledControls(*form1), nothingLoaded);
    EXPECT_EQ(form1->co->listCount(), 0);
    EXPECT_EQ(form1->ImageList1.count(), 0);
    EXPECT_FALSE(form1->Picture1->hasPicture());
    EXPECT_EQ(form1->Picture1->point(200, 200), 12632256);
    EXPECT_EQ(form1->ProgressBar1->value(), 1);
    EXPECT_EQ(form1->ProgressBar1->max(), 10);
    EXPECT_EQ(form1->numImgs, 3);
    EXPECT_EQ(form1->pasoActual, 1);
    EXPECT_FALSE(form1->modoPaso);

    EXPECT_TRUE(form1->form2.isShown());
    FlexGrid& grid = *form1->form2->GridClaves;
    EXPECT_EQ(grid.rows(), 2);
    EXPECT_EQ(grid.cols(), 1);
    EXPECT_EQ(grid.fixedRows(), 1);
    EXPECT_EQ(grid.fixedCols(), 0);
    EXPECT_TRUE(grid.textAt(0, 0).isEmpty());
    EXPECT_TRUE(grid.textAt(1, 0).isEmpty());
    EXPECT_NE(grid.cellBackColorAt(1, 0), 16711680);

    EXPECT_TRUE(form1->formClaveSola.isShown());
    EXPECT_EQ(form1->formClaveSola->LClave->listCount(), 0);

    for (PictureBox* sample : {form1->form3->Picture1, form1->form3->Picture2, form1->form3->Picture3})
        EXPECT_EQ(sample->point(10, 10), numberOfColour(sample->backgroundColour()));
    EXPECT_FALSE(form1->form3.isShown());
}

TEST_F(Selection, DescargarCreatesTheResultsWindowsHiddenWhenTheyDoNotExist)
{
    QTest::mouseClick(form1->bReset, Qt::LeftButton);
    EXPECT_TRUE(form1->form2.exists());
    EXPECT_TRUE(form1->formClaveSola.exists());
    EXPECT_TRUE(form1->form3.exists());
    EXPECT_FALSE(form1->form2.isShown());
    EXPECT_FALSE(form1->formClaveSola.isShown());
    EXPECT_FALSE(form1->form3.isShown());
    EXPECT_EQ(enabledControls(*form1), nothingLoaded);
}

TEST_F(Selection, ADoubleClickOnRowThreeOfTheKeysShowsPictureThree)
{
    QTest::mouseClick(form1->bTodas, Qt::LeftButton);
    pickEntry(0);
    ASSERT_TRUE(samePixels(form1->Picture1->picture(), pictures[0]));
    doubleClickRow(*form1->form2->GridClaves, 3);
    EXPECT_EQ(form1->co->listIndex(), 2);
    EXPECT_TRUE(samePixels(form1->Picture1->picture(), pictures[2]));
    EXPECT_EQ(enabledControls(*form1), picturesLoaded);
}

TEST_F(Selection, ADoubleClickOnARowWithoutAPictureChangesNothing)
{
    QTest::mouseClick(form1->bTodas, Qt::LeftButton);
    QTest::mouseClick(form1->bReset, Qt::LeftButton);
    doubleClickRow(*form1->form2->GridClaves, 1);
    EXPECT_EQ(form1->co->listIndex(), -1);
    EXPECT_FALSE(form1->Picture1->hasPicture());
    EXPECT_EQ(enabledControls(*form1), nothingLoaded);
}

// The walkthrough keeps the selector disabled: a double-click in the keys window may not change the
// image under the mesh, nor put it back without its mesh.
TEST_F(Selection, ADoubleClickOnTheKeysDuringAWalkthroughLeavesTheWalkedImageAndItsMesh)
{
    QTest::mouseClick(form1->bTodas, Qt::LeftButton);
    pickEntry(1);
    QTest::mouseClick(form1->bPaso, Qt::LeftButton);
    for (int press = 0; press < 3; ++press)
        QTest::mouseClick(form1->bPasoPaso, Qt::LeftButton);
    const QImage meshed = form1->Picture1->shownImage();
    ASSERT_FALSE(samePixels(meshed, DrawingArea(pictures[1]).image()));

    doubleClickRow(*form1->form2->GridClaves, 3);
    doubleClickRow(*form1->form2->GridClaves, 2);
    EXPECT_EQ(form1->co->listIndex(), 1);
    EXPECT_TRUE(samePixels(form1->Picture1->shownImage(), meshed));

    for (int press = 3; press < 15; ++press)
        QTest::mouseClick(form1->bPasoPaso, Qt::LeftButton);
    EXPECT_EQ(form1->formClaveSola->LClave->itemText(0), engineKey(pictures[1]));
    EXPECT_TRUE(samePixels(form1->Picture1->picture(), pictures[1]));
}

} // namespace
} // namespace velsaro::testing
