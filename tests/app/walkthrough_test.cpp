// "Paso a Paso" pressed through its fifteen stages on loaded pictures: the stage list, the
// descriptions, the mesh over the picture, the click areas, the key built level by level, and the
// detail window opened from the stages after each level.
#include "tests/app/loaded_form1.h"

#include "controls/flex_grid.h"
#include "controls/picture_box.h"
#include "controls/progress_bar.h"
#include "controls/user_number_text.h"
#include "resources/pictures.h"
#include "tests/support/picture_files.h"
#include "windows/form3.h"
#include "windows/form_clave_sola.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>

namespace velsaro::testing {
namespace {

const QStringList startRows = {
    QString::fromUtf8("Cálculo de Intersecciones (mallado 3x3)"),
    QString::fromUtf8("   Nivel: 1 -> Máscaras 4x4"),
    QString::fromUtf8("     Cálculo de DCT de las máscaras"),
    QString::fromUtf8("     Cálculo del Promedio de los coeficientes"),
    QString::fromUtf8("     Cálculo del Vector S"),
};

QStringList rowsOf(const ListBox& list)
{
    QStringList rows;
    for (int row = 0; row < list.listCount(); ++row)
        rows.append(list.itemText(row));
    return rows;
}

// The one highlighted row, -1 when none or several are; it must also be the current row.
int highlightedRow(const ListBox& list)
{
    int highlighted = -1;
    for (int row = 0; row < list.listCount(); ++row) {
        if (!list.isSelected(row))
            continue;
        if (highlighted >= 0)
            return -1;
        highlighted = row;
    }
    return highlighted == list.listIndex() ? highlighted : -1;
}

class WalkthroughTest : public LoadedForm1Test {
protected:
    void SetUp() override { form1->show(); }

    void pressPaso() { QTest::mouseClick(form1->bPaso, Qt::LeftButton); }
    void pressNext() { QTest::mouseClick(form1->bPasoPaso, Qt::LeftButton); }
    void pressNext(int times)
    {
        for (int press = 0; press < times; ++press)
            pressNext();
    }
    // Presses until the stage counter reads stage, the stage the next press would perform.
    void walkTo(int stage)
    {
        pressPaso();
        pressNext(stage - 1);
        ASSERT_EQ(form1->pasoActual, stage);
    }
    static void click(ImageControl* zone) { QTest::mouseClick(zone, Qt::LeftButton, {}, QPoint(20, 20)); }

    QString walkedKey() const { return form1->formClaveSola->LClave->itemText(0); }
};

TEST_F(WalkthroughTest, PasoAPasoEntersStepModeAndLeavesThePictureAndTheList)
{
    load({variedPicture(430, 503, 1)});
    form1->formClaveSola->LClave->addItem(QStringLiteral("1.2.3."));
    const QImage shownBefore = form1->Picture1->shownImage();
    pressPaso();
    EXPECT_TRUE(form1->modoPaso);
    EXPECT_EQ(form1->pasoActual, 1);
    EXPECT_EQ(enabledControls(*form1), QStringList{"bPasoPaso"});
    EXPECT_EQ(form1->formClaveSola->LClave->listCount(), 0);
    EXPECT_FALSE(form1->formClaveSola.isShown());
    EXPECT_EQ(form1->ProgressBar1->value(), 1);
    EXPECT_EQ(form1->Picture1->shownImage(), shownBefore);
    EXPECT_EQ(rowsOf(*form1->List1), startRows);
    EXPECT_EQ(highlightedRow(*form1->List1), 0);
}

TEST_F(WalkthroughTest, FifteenPressesRestoreTheWindowAndShowTheKey)
{
    const QImage picture = variedPicture(430, 503, 2);
    load({picture, variedPicture(430, 503, 3)});
    walkTo(15);
    pressNext();
    EXPECT_EQ(rowsOf(*form1->List1), startRows);
    EXPECT_EQ(highlightedRow(*form1->List1), 0);
    EXPECT_TRUE(form1->Label7->text().isEmpty());
    EXPECT_EQ(form1->ImageList1.count(), 2);
    EXPECT_EQ(form1->Picture1->shownImage(), DrawingArea(picture).image());
    EXPECT_EQ(form1->pasoActual, 1);
    EXPECT_FALSE(form1->modoPaso);
    EXPECT_EQ(enabledControls(*form1), picturesLoaded);
    EXPECT_EQ(form1->ProgressBar1->value(), 1);
    EXPECT_TRUE(form1->formClaveSola.isShown());
    EXPECT_EQ(form1->formClaveSola->LClave->listCount(), 1);
}

TEST_F(WalkthroughTest, ASecondWalkthroughRepeatsTheFirst)
{
    load({variedPicture(430, 503, 4)});
    const std::vector<int> expectedHighlights = {0, 0, 1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4, 5, 0};
    std::vector<std::vector<int>> highlights(2);
    std::vector<std::vector<QStringList>> rows(2);
    std::vector<QString> keys;
    for (int walk = 0; walk < 2; ++walk) {
        pressPaso();
        highlights[walk].push_back(highlightedRow(*form1->List1));
        rows[walk].push_back(rowsOf(*form1->List1));
        for (int press = 1; press <= 15; ++press) {
            pressNext();
            highlights[walk].push_back(highlightedRow(*form1->List1));
            rows[walk].push_back(rowsOf(*form1->List1));
        }
        keys.push_back(walkedKey());
    }
    EXPECT_EQ(highlights[0], expectedHighlights);
    EXPECT_EQ(highlights[1], expectedHighlights);
    EXPECT_EQ(rows[0], rows[1]);
    EXPECT_EQ(keys[0], keys[1]);
}

TEST_F(WalkthroughTest, EachPressWritesItsDescriptionAndLevelRow)
{
    load({variedPicture(430, 503, 5)});
    const char* const d3 = "Cálculo de la DCT de todas las máscaras y obtención de los coeficientes";
    const char* const d4 = "Cálculo de la matríz 'P' con los promedios de los coeficientes de cada máscara";
    const char* const d5 = "Cálculo de la matríz 'S' a partir de la 'P' hallada en el paso anterior. Ahora puede "
                           "seleccionar cualquier intersección para ver los resultados intermedios";
    const std::vector<const char*> descriptions = {
        "Se calculan las intersecciones para una malla de tamaño 3x3",
        "Se calculan las posiciones de las máscaras a aplicar en cada intersección. En este paso es el nivel 1, "
        "por tanto, máscaras de 4x4",
        d3, d4, d5,
        "Se calculan las posiciones de las máscaras a aplicar en cada intersección. Este es el segundo nivel (2), "
        "por tanto, máscaras de 8x8",
        d3, d4, d5,
        "Se calculan las posiciones de las máscaras a aplicar en cada intersección. En este último nivel 3, las "
        "máscaras son de 16x16",
        d3, d4, d5,
        "Composición de todos los elementos de las matrices 'S' ya halladas (para los tres niveles) para formar "
        "la clave de la imagen",
        ""};
    const char* const nivel1 = "   Nivel: 1 -> Máscaras 4x4";
    const char* const nivel2 = "   Nivel: 2 -> Máscaras 8x8";
    const char* const nivel3 = "   Nivel: 3 -> Máscaras 16x16";
    const std::vector<const char*> levelRows = {nivel1, nivel1, nivel1, nivel1, nivel1, nivel2, nivel2, nivel2,
                                                nivel2, nivel3, nivel3, nivel3, nivel3, nivel3, nivel1};
    pressPaso();
    EXPECT_TRUE(form1->Label7->text().isEmpty());
    for (int press = 1; press <= 15; ++press) {
        pressNext();
        EXPECT_EQ(form1->Label7->text(), QString::fromUtf8(descriptions[press - 1])) << press;
        EXPECT_EQ(form1->List1->itemText(1), QString::fromUtf8(levelRows[press - 1])) << press;
        const bool composing = press == 13 || press == 14;
        EXPECT_EQ(form1->List1->listCount(), composing ? 6 : 5) << press;
        if (composing) {
            EXPECT_EQ(form1->List1->itemText(5), QString::fromUtf8("Composición de la Clave"));
        }
    }
}

TEST_F(WalkthroughTest, ClickAreasAreEnabledExactlyAtStagesSixTenAndFourteen)
{
    load({variedPicture(430, 503, 6)});
    pressPaso();
    for (int press = 1; press <= 15; ++press) {
        pressNext();
        const bool open = form1->pasoActual == 6 || form1->pasoActual == 10 || form1->pasoActual == 14;
        EXPECT_EQ(enabledControls(*form1).contains("zonas"), open) << "after press " << press;
        EXPECT_FALSE(enabledControls(*form1).contains("some zonas")) << "after press " << press;
    }
}

TEST_F(WalkthroughTest, TheMeshSlotFollowsTheLevelAfterOneImage)
{
    load({variedPicture(430, 503, 7)});
    pressPaso();
    struct Slot {
        int press;
        const char* key;
        int meshEntry;
    };
    const std::vector<Slot> slotAfterPress = {{1, "malla", 1},  {2, "malla4", 2}, {5, "malla4", 2},
                                              {6, "malla8", 3}, {9, "malla8", 3}, {10, "malla16", 4},
                                              {14, "malla16", 4}};
    ASSERT_EQ(form1->ImageList1.count(), 2);
    EXPECT_EQ(form1->ImageList1.item(2).key, "malla");
    EXPECT_EQ(form1->ImageList1.item(2).picture, resources::meshPicture(1));
    int pressed = 0;
    for (const Slot& slot : slotAfterPress) {
        pressNext(slot.press - pressed);
        pressed = slot.press;
        ASSERT_EQ(form1->ImageList1.count(), 2) << slot.press;
        EXPECT_EQ(form1->ImageList1.item(2).key, slot.key) << slot.press;
        EXPECT_EQ(form1->ImageList1.item(2).picture, resources::meshPicture(slot.meshEntry)) << slot.press;
    }
    pressNext();
    EXPECT_EQ(form1->ImageList1.count(), 1);
}

TEST_F(WalkthroughTest, WithEightImagesTheMeshSlotIsEntryNine)
{
    std::vector<QImage> pictures;
    for (unsigned seed = 10; seed < 18; ++seed)
        pictures.push_back(variedPicture(430, 503, seed));
    load(pictures);
    pressPaso();
    ASSERT_EQ(form1->ImageList1.count(), 9);
    EXPECT_EQ(form1->ImageList1.item(9).key, "malla");
    EXPECT_EQ(form1->ImageList1.item(8).key, "imagen8.bmp");
    pressNext(10);
    EXPECT_EQ(form1->ImageList1.item(9).key, "malla16");
    pressNext(5);
    EXPECT_EQ(form1->ImageList1.count(), 8);
}

TEST_F(WalkthroughTest, ThePictureShowsTheMeshOfTheLevelOverTheSelectedImage)
{
    const QImage first = solidPicture(430, 503, QColor(200, 10, 10));
    const QImage second = solidPicture(430, 503, QColor(10, 200, 10));
    load({first, second});
    pickEntry(1);
    pressPaso();
    const PictureBox& picture = *form1->Picture1;
    const std::int32_t green = numberOfColour(QColor(10, 200, 10));
    pressNext();
    // A mesh line, and beside it the image.
    EXPECT_EQ(picture.point(107, 10), 0);
    EXPECT_EQ(picture.point(100, 10), green);
    EXPECT_EQ(picture.point(99, 118), green);
    pressNext();
    // The outline of the top-left square of the 4 x 4 masks, and the image inside it.
    EXPECT_EQ(picture.point(99, 118), 0);
    EXPECT_EQ(picture.point(107, 126), green);
    pressNext(4);
    EXPECT_EQ(picture.point(99, 118), green);
    EXPECT_EQ(picture.point(91, 110), 0);
    pressNext(4);
    EXPECT_EQ(picture.point(75, 94), 0);
    pressNext(5);
    EXPECT_EQ(picture.shownImage(), DrawingArea(second).image());
}

TEST_F(WalkthroughTest, OverASmallPictureTheMeshCoversTheGreyBackgroundToo)
{
    load({solidPicture(90, 100, QColor(10, 20, 30))});
    pressPaso();
    pressNext(10);
    const PictureBox& picture = *form1->Picture1;
    EXPECT_EQ(picture.point(50, 50), numberOfColour(QColor(10, 20, 30)));
    EXPECT_EQ(picture.point(216, 450), 0);
    EXPECT_EQ(picture.point(270, 253), 0);
    EXPECT_EQ(picture.point(216, 300), 0);
    EXPECT_EQ(picture.point(300, 300), backgroundColour);
    EXPECT_EQ(picture.point(216, 253), backgroundColour);
}

TEST_F(WalkthroughTest, AKeyWindowLeftOpenByNormalEmptiesAtOnceAndStaysOnShow)
{
    load({variedPicture(430, 503, 8)});
    QTest::mouseClick(form1->bUnaSola, Qt::LeftButton);
    ASSERT_TRUE(form1->formClaveSola.isShown());
    const QString normalKey = form1->formClaveSola->LClave->itemText(0);
    pressPaso();
    EXPECT_EQ(form1->formClaveSola->LClave->listCount(), 0);
    pressNext(15);
    EXPECT_TRUE(form1->formClaveSola.isShown());
    EXPECT_EQ(form1->formClaveSola->LClave->listCount(), 1);
    EXPECT_EQ(walkedKey(), normalKey);
}

TEST_F(WalkthroughTest, FilesNamedLikeTheMeshOrHoldingAColonWalkThrough)
{
    const QImage picture = variedPicture(430, 503, 9);
    const QStringList paths = {folder.write(QStringLiteral("malla4"), bmp24(variedPicture(430, 503, 10))),
                               folder.write(QStringLiteral("a:b.bmp"), bmp24(picture))};
    loadFiles(paths);
    ASSERT_EQ(form1->numImgs, 2);
    pickEntry(1);
    pressPaso();
    pressNext(2);
    // The slot is entry 3 whatever its key; the loaded "malla4" keeps its own.
    ASSERT_EQ(form1->ImageList1.count(), 3);
    EXPECT_EQ(form1->ImageList1.item(3).picture, resources::meshPicture(2));
    EXPECT_EQ(form1->ImageList1.item(1).key, "malla4");
    EXPECT_EQ(form1->Picture1->point(107, 126), numberOfColour(picture.pixelColor(107, 126)));
    pressNext(13);
    EXPECT_EQ(walkedKey(), engineKey(picture));
    EXPECT_EQ(form1->ImageList1.count(), 2);
}

// Pictures of the area's size, smaller than every mask needs and larger than the area, each keyed
// three ways: walked through, by "Normal", and by velsaro-clave on the same file.
class WalkedKey : public WalkthroughTest, public ::testing::WithParamInterface<QSize> {};

QString cliKey(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral(VELSARO_CLAVE_PATH), {path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QStringLiteral("velsaro-clave failed");
    return QString::fromUtf8(process.readAllStandardOutput()).section(QStringLiteral("  "), 0, 0);
}

TEST_P(WalkedKey, EqualsTheKeyOfNormalAndOfTheCommandLineTool)
{
    const QSize size = GetParam();
    const QString path = folder.write(QStringLiteral("cara.bmp"), bmp24(variedPicture(size.width(), size.height(), 21)));
    loadFiles({path});
    ASSERT_EQ(form1->numImgs, 1);
    walkTo(15);
    pressNext();
    const QString walked = walkedKey();
    EXPECT_EQ(walked.count(QLatin1Char('.')), 27);

    QTest::mouseClick(form1->bUnaSola, Qt::LeftButton);
    ASSERT_EQ(form1->formClaveSola->LClave->listCount(), 1);
    EXPECT_EQ(walked, form1->formClaveSola->LClave->itemText(0));
    EXPECT_EQ(walked, cliKey(path));
}

INSTANTIATE_TEST_SUITE_P(PictureSizes, WalkedKey,
                         ::testing::Values(QSize(430, 503), QSize(99, 118), QSize(640, 720), QSize(300, 700)),
                         [](const ::testing::TestParamInfo<QSize>& info) {
                             return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
                         });

TEST_F(WalkthroughTest, TheKeyGrowsByOneLevelAtPressesThreeSevenAndEleven)
{
    const QImage picture = variedPicture(430, 503, 22);
    load({picture});
    walkTo(3);
    EXPECT_EQ(form1->formClaveSola->LClave->listCount(), 0);
    pressNext();
    const std::string level1 = levelKeyText(engineLevel(picture, 4));
    EXPECT_EQ(walkedKey().toStdString(), level1);
    pressNext(4);
    EXPECT_EQ(walkedKey().toStdString(), level1 + levelKeyText(engineLevel(picture, 8)));
    pressNext(4);
    EXPECT_EQ(walkedKey().toStdString(), engineKey(picture).toStdString());
    EXPECT_FALSE(form1->formClaveSola.isShown());
}

TEST_F(WalkthroughTest, ClosingTheKeyWindowMidwayLosesNoLevel)
{
    const QImage picture = variedPicture(430, 503, 23);
    load({picture});
    // "Normal" leaves the key window open over the picture; the user walks on and closes it.
    QTest::mouseClick(form1->bUnaSola, Qt::LeftButton);
    walkTo(4);
    QTest::mouseClick(form1->formClaveSola->aceptar, Qt::LeftButton);
    runDeferredDeletes();
    pressNext(12);
    EXPECT_TRUE(form1->formClaveSola.isShown());
    EXPECT_EQ(form1->formClaveSola->LClave->listCount(), 1);
    EXPECT_EQ(walkedKey(), engineKey(picture));
}

TEST_F(WalkthroughTest, AfterPasoAPasoSpacePressesTheNextStep)
{
    load({variedPicture(430, 503, 24)});
    QApplication::setActiveWindow(form1.get());
    pressPaso();
    EXPECT_EQ(QApplication::focusWidget(), form1->bPasoPaso);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(form1->pasoActual, 2);
}

// The detail window opened from the walkthrough.
class WalkthroughDetail : public WalkthroughTest {
protected:
    QImage picture = variedPicture(430, 503, 31);

    void SetUp() override
    {
        WalkthroughTest::SetUp();
        load({picture});
    }

    std::int32_t pictureColour(int x, int y) const { return numberOfColour(picture.pixelColor(x, y)); }
};

TEST_F(WalkthroughDetail, Zona22AtStageSixFillsPageZero)
{
    walkTo(6);
    click(form1->zona22);
    ASSERT_TRUE(form1->form3.isShown());
    Form3& form3 = *form1->form3;
    const PictureBox& sample = *form3.Picture1;
    const std::int32_t background = numberOfColour(sample.backgroundColour());
    // Sixteen squares of 58 pixels from the pixels (214..217, 252..255), 2-pixel lines between them.
    for (int a = 0; a < 4; ++a)
        for (int b = 0; b < 4; ++b) {
            EXPECT_EQ(sample.point(a * 60 + 2, b * 60 + 2), pictureColour(214 + a, 252 + b)) << a << "," << b;
            EXPECT_EQ(sample.point(a * 60 + 59, b * 60 + 59), pictureColour(214 + a, 252 + b)) << a << "," << b;
            EXPECT_EQ(sample.point(a * 60 + 1, b * 60 + 30), background) << a << "," << b;
        }
    EXPECT_EQ(sample.point(240, 240), background);
    const LevelResult level = engineLevel(picture, 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(form3.MSFlexGrid1->textAt(r, c), twoDecimalUserText(level.coefficient(4, r, c))) << r << c;
    EXPECT_EQ(form3.Text1->text(), twoDecimalUserText(level.matrizP[1][1]));
    QString digits;
    for (int neighbour : {0, 1, 2, 3, 5, 6, 7, 8})
        digits += QString::number(level.matrizS[4][neighbour]);
    EXPECT_EQ(form3.Text4->text(), digits);
    EXPECT_EQ(form3.Text4->text().size(), 8);
    EXPECT_EQ(form3.frontPage(), 0);
    // The other pages keep their design content.
    EXPECT_EQ(form3.Text2->text(), "Text2");
    EXPECT_EQ(form3.Text6->text(), "Text6");
}

TEST_F(WalkthroughDetail, Zona33AtStageFourteenFillsAllCellsOfPageTwo)
{
    walkTo(14);
    click(form1->zona33);
    Form3& form3 = *form1->form3;
    const PictureBox& sample = *form3.Picture3;
    for (int a = 0; a < 16; ++a)
        for (int b = 0; b < 16; ++b)
            ASSERT_EQ(sample.point(a * 15 + 8, b * 15 + 8), pictureColour(316 + a, 373 + b)) << a << "," << b;
    const LevelResult level = engineLevel(picture, 16);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c)
            ASSERT_EQ(form3.MSFlexGrid3->textAt(r, c), twoDecimalUserText(level.coefficient(8, r, c))) << r << c;
    EXPECT_EQ(form3.Text5->text(), twoDecimalUserText(level.matrizP[2][2]));
    EXPECT_EQ(form3.frontPage(), 2);
}

TEST_F(WalkthroughDetail, StageTenThenFourteenKeepsPageOneBehindPageTwo)
{
    walkTo(10);
    click(form1->zona12);
    Form3& form3 = *form1->form3;
    EXPECT_EQ(form3.frontPage(), 1);
    const QString average = form3.Text2->text();
    pressNext(4);
    click(form1->zona21);
    EXPECT_EQ(form3.frontPage(), 2);
    EXPECT_EQ(form3.Text2->text(), average);
    EXPECT_EQ(form3.Picture2->point(2, 2), pictureColour(212, 123));
    EXPECT_EQ(form3.Picture3->point(2, 2), pictureColour(100, 246));
}

TEST_F(WalkthroughDetail, ASecondClickReplacesEveryCellSquareAndBox)
{
    walkTo(6);
    click(form1->zona22);
    click(form1->zona11);
    Form3& form3 = *form1->form3;
    const LevelResult level = engineLevel(picture, 4);
    for (int a = 0; a < 4; ++a)
        for (int b = 0; b < 4; ++b) {
            EXPECT_EQ(form3.Picture1->point(a * 60 + 30, b * 60 + 30), pictureColour(106 + a, 125 + b));
            EXPECT_EQ(form3.MSFlexGrid1->textAt(a, b), twoDecimalUserText(level.coefficient(0, a, b)));
        }
    EXPECT_EQ(form3.Text1->text(), twoDecimalUserText(level.matrizP[0][0]));
    QString digits;
    for (int neighbour : {0, 1, 2, 3, 5, 6, 7, 8})
        digits += QString::number(level.matrizS[0][neighbour]);
    EXPECT_EQ(form3.Text4->text(), digits);
}

TEST_F(WalkthroughDetail, AfterAClickOnAnIntersectionSpaceStillPressesTheNextStep)
{
    walkTo(6);
    click(form1->zona22);
    QApplication::setActiveWindow(form1.get()); // back in the main window, the detail beside it
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(form1->pasoActual, 7);
}

TEST_F(WalkthroughDetail, TheNextPressClosesTheClickAreasAgain)
{
    walkTo(6);
    pressNext();
    click(form1->zona22);
    EXPECT_FALSE(form1->form3.isShown());
    EXPECT_EQ(form1->form3->Text1->text(), "Text1");
}

TEST_F(WalkthroughDetail, DescargarClearsTheThreeSamplesAndKeepsTheNumbers)
{
    walkTo(6);
    click(form1->zona11);
    pressNext(4);
    click(form1->zona22);
    pressNext(4);
    click(form1->zona33);
    pressNext(2);
    ASSERT_TRUE(form1->bReset->isEnabled());
    Form3& form3 = *form1->form3;
    const std::array<PictureBox*, 3> samples = {form3.Picture1, form3.Picture2, form3.Picture3};
    for (PictureBox* sample : samples)
        ASSERT_NE(sample->point(100, 100), numberOfColour(sample->backgroundColour()));
    const QString average = form3.Text5->text();
    QTest::mouseClick(form1->bReset, Qt::LeftButton);
    for (PictureBox* sample : samples)
        for (const QPoint at : {QPoint(2, 2), QPoint(100, 100), QPoint(239, 239)})
            EXPECT_EQ(sample->point(at.x(), at.y()), numberOfColour(sample->backgroundColour()));
    EXPECT_TRUE(form1->form3.isShown());
    EXPECT_EQ(form3.Text5->text(), average);
    EXPECT_FALSE(form3.MSFlexGrid1->textAt(0, 0).isEmpty());
}

} // namespace
} // namespace velsaro::testing
