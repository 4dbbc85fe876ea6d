#include "tests/app/loaded_form1.h"

#include "controls/flex_grid.h"
#include "controls/picture_box.h"
#include "controls/progress_bar.h"
#include "tests/support/picture_files.h"
#include "windows/form2.h"
#include "windows/form_clave_sola.h"

#include <QProgressBar>

namespace velsaro::testing {
namespace {

constexpr std::int32_t white = 16777215;
const std::array<std::int32_t, 8> rowColours = {16711680, 255, 65280, 16777215, 65535, 16776960, 16711935, 2048};
const QString header = "Estas son las Claves obtenidas";

QImage picture(unsigned seed) { return variedPicture(430, 503, seed); }

std::vector<QImage> differentPictures(int count)
{
    std::vector<QImage> pictures;
    for (int i = 0; i < count; ++i)
        pictures.push_back(picture(100 + unsigned(i)));
    return pictures;
}

QString repeated(const QString& levelText, int times)
{
    QString text;
    for (int i = 0; i < times; ++i)
        text += levelText;
    return text;
}

class Driver : public LoadedForm1Test {
protected:
    void SetUp() override { form1->show(); }

    void clickComparar() { QTest::mouseClick(form1->bTodas, Qt::LeftButton); }
    void clickNormal() { QTest::mouseClick(form1->bUnaSola, Qt::LeftButton); }

    FlexGrid& grid() { return *form1->form2->GridClaves; }
    ListBox& lClave() { return *form1->formClaveSola->LClave; }

    // The grid as the user reads it: every row's text.
    QStringList gridTexts()
    {
        QStringList texts;
        for (int row = 0; row < grid().rows(); ++row)
            texts.append(grid().textAt(row, 0));
        return texts;
    }

    void expectGridShows(const std::vector<QImage>& pictures)
    {
        QStringList expected{header};
        for (const QImage& shown : pictures)
            expected.append(engineKey(shown));
        EXPECT_EQ(gridTexts(), expected);
    }
};

TEST_F(Driver, CompareWithOnePictureFillsRowOneInBlueWithWhiteText)
{
    const QImage only = picture(1);
    load({only});
    clickComparar();

    expectGridShows({only});
    EXPECT_EQ(grid().cellBackColorAt(1, 0), rowColours[0]);
    EXPECT_EQ(grid().cellForeColorAt(1, 0), white);
    EXPECT_TRUE(form1->form2.isShown());
    EXPECT_FALSE(form1->formClaveSola.isShown());
    EXPECT_EQ(form1->claves[0], engineKey(only));
    for (int i = 1; i < 8; ++i)
        EXPECT_TRUE(form1->claves[i].isEmpty()) << i;
    EXPECT_FALSE(form1->modoUnaSola);
    EXPECT_EQ(enabledControls(*form1), picturesLoaded);
}

TEST_F(Driver, EveryKeyHasTwentySevenCodesEachFollowedByAPoint)
{
    load({picture(2)});
    clickComparar();
    const QString key = form1->claves[0];
    ASSERT_TRUE(key.endsWith('.'));
    const QStringList codes = key.chopped(1).split('.');
    ASSERT_EQ(codes.size(), 27);
    for (const QString& code : codes) {
        bool isNumber = false;
        const int value = code.toInt(&isNumber);
        EXPECT_TRUE(isNumber && value >= 0 && value <= 255) << code.toStdString();
    }
}

TEST_F(Driver, CompareWithEightPicturesListsTheirKeysInLoadOrderInEightColours)
{
    const std::vector<QImage> pictures = differentPictures(8);
    load(pictures);
    clickComparar();

    expectGridShows(pictures);
    for (int row = 1; row <= 8; ++row)
        EXPECT_EQ(grid().cellBackColorAt(row, 0), rowColours[row - 1]) << row;
    EXPECT_EQ(grid().cellForeColorAt(1, 0), white);
    EXPECT_EQ(grid().cellForeColorAt(8, 0), white);
    for (int row = 2; row <= 7; ++row)
        EXPECT_NE(grid().cellForeColorAt(row, 0), white) << row;
    EXPECT_EQ(form1->numClavesDistintas, 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(form1->claves[i], engineKey(pictures[i])) << i;
}

TEST_F(Driver, CompareLeavesTheLastPictureOnShowAndItsLastLevelForTheDetail)
{
    const std::vector<QImage> pictures = differentPictures(3);
    load(pictures);
    clickComparar();

    EXPECT_EQ(form1->co->listIndex(), 2);
    EXPECT_TRUE(samePixels(form1->Picture1->picture(), pictures[2]));
    const LevelResult last = engineLevel(pictures[2], 16);
    EXPECT_EQ(form1->divisores, last.divisores);
    EXPECT_EQ(form1->coeficientes, last.coeficientes);
    EXPECT_EQ(form1->matrizP, last.matrizP);
    EXPECT_EQ(form1->matrizS, last.matrizS);
}

TEST_F(Driver, CompareColoursEqualKeysAlike)
{
    load({picture(7), picture(8), picture(7)});
    clickComparar();
    EXPECT_EQ(grid().textAt(1, 0), grid().textAt(3, 0));
    EXPECT_NE(grid().textAt(1, 0), grid().textAt(2, 0));
    EXPECT_EQ(grid().cellBackColorAt(1, 0), rowColours[0]);
    EXPECT_EQ(grid().cellBackColorAt(2, 0), rowColours[1]);
    EXPECT_EQ(grid().cellBackColorAt(3, 0), rowColours[0]);
    EXPECT_EQ(form1->numClavesDistintas, 2);
}

TEST_F(Driver, CompareAgainWithTheKeysWindowOpenShowsOneRowPerPictureOnly)
{
    const std::vector<QImage> pictures = {picture(11), picture(12), picture(11)};
    load(pictures);
    clickComparar();
    ASSERT_TRUE(form1->form2.isShown());
    clickComparar();

    EXPECT_TRUE(form1->form2.isShown());
    EXPECT_EQ(grid().rows(), 4);
    expectGridShows(pictures);
    EXPECT_EQ(grid().cellBackColorAt(1, 0), rowColours[0]);
    EXPECT_EQ(grid().cellBackColorAt(2, 0), rowColours[1]);
    EXPECT_EQ(grid().cellBackColorAt(3, 0), rowColours[0]);
    EXPECT_NE(grid().cellForeColorAt(2, 0), white);
}

TEST_F(Driver, CompareAfterTheKeysWindowWasClosedStartsFromAFreshGrid)
{
    const std::vector<QImage> pictures = differentPictures(2);
    load(pictures);
    clickComparar();
    QTest::mouseClick(form1->form2->aceptar, Qt::LeftButton);
    runDeferredDeletes();
    ASSERT_FALSE(form1->form2.exists());
    clickComparar();
    expectGridShows(pictures);
    EXPECT_TRUE(form1->form2.isShown());
}

TEST_F(Driver, NormalKeysThePictureOnShowIntoTheSingleKeyWindow)
{
    const std::vector<QImage> pictures = differentPictures(3);
    load(pictures);
    pickEntry(1);
    ASSERT_TRUE(samePixels(form1->Picture1->picture(), pictures[1]));
    clickNormal();

    ASSERT_EQ(lClave().listCount(), 1);
    EXPECT_EQ(lClave().itemText(0), engineKey(pictures[1]));
    EXPECT_EQ(form1->claves[0], engineKey(pictures[1]));
    EXPECT_TRUE(form1->formClaveSola.isShown());
    EXPECT_FALSE(form1->form2.isShown());
    EXPECT_FALSE(form1->modoUnaSola);
    EXPECT_EQ(form1->co->listIndex(), 1);
    EXPECT_TRUE(samePixels(form1->Picture1->picture(), pictures[1]));
    EXPECT_EQ(enabledControls(*form1), picturesLoaded);
}

TEST_F(Driver, NormalTwiceHoldsOnlyTheLatestKey)
{
    const std::vector<QImage> pictures = differentPictures(2);
    load(pictures);
    clickNormal();
    pickEntry(1);
    clickNormal();
    ASSERT_EQ(lClave().listCount(), 1);
    EXPECT_EQ(lClave().itemText(0), engineKey(pictures[1]));
    EXPECT_TRUE(form1->formClaveSola.isShown());
}

TEST_F(Driver, StepModeComputesTheLevelOfItsStageIntoTheFirstEntryOfTheSingleKeyList)
{
    const QImage walked = picture(21);
    load({walked, picture(22)});
    form1->modoPaso = true;
    const std::array<std::pair<std::int16_t, int>, 3> stages = {{{3, 4}, {7, 8}, {11, 16}}};
    QString built;
    for (const auto& [stage, n] : stages) {
        form1->pasoActual = stage;
        form1->bTodas_Click();
        const LevelResult level = engineLevel(walked, n);
        built += QString::fromStdString(levelKeyText(level));
        ASSERT_EQ(lClave().listCount(), 1) << stage;
        EXPECT_EQ(lClave().itemText(0), built) << stage;
        EXPECT_EQ(form1->claves[0], QString::fromStdString(levelKeyText(level))) << stage;
        EXPECT_EQ(form1->coeficientes, level.coeficientes) << stage;
        EXPECT_EQ(form1->matrizS, level.matrizS) << stage;
    }
    EXPECT_EQ(built, engineKey(walked));
    EXPECT_FALSE(form1->form2.isShown());
    EXPECT_EQ(gridTexts(), QStringList({"", ""}));
    EXPECT_FALSE(form1->formClaveSola.isShown());
    EXPECT_EQ(form1->co->listIndex(), 0);
    EXPECT_EQ(form1->pasoActual, 11);
    EXPECT_TRUE(form1->modoPaso);
}

TEST_F(Driver, StepModeOutsideTheComputingStagesComputesNothing)
{
    load({picture(23)});
    form1->modoPaso = true;
    form1->pasoActual = 4;
    form1->bTodas_Click();
    EXPECT_TRUE(form1->claves[0].isEmpty());
    EXPECT_TRUE(form1->coeficientes.empty());
    EXPECT_EQ(lClave().listCount(), 0);
    EXPECT_FALSE(form1->form2.isShown());
    EXPECT_FALSE(form1->formClaveSola.isShown());
}

TEST_F(Driver, PicturesOfOneColourAndPicturesTooSmallForTheMasksGiveTheFlatKey)
{
    const QString flat = repeated("244.224.233.148.0.41.151.7.47.", 3);
    load({solidPicture(430, 503, QColor(200, 30, 90)), solidPicture(332, 389, Qt::white),
          solidPicture(99, 503, Qt::black), solidPicture(430, 118, Qt::black),
          solidPicture(430, 503, Qt::black)});
    clickComparar();
    EXPECT_EQ(form1->claves[0], flat);
    EXPECT_EQ(form1->claves[1], flat);
    EXPECT_EQ(form1->claves[2], flat);
    EXPECT_EQ(form1->claves[3], flat);
    EXPECT_EQ(form1->claves[4], repeated("0.", 27));
}

// Records, at every paint of the picture area or the progress bar, which one was painted and the
// value the bar had then. A state painted twice in a row (Qt's bar repaints some changes by itself)
// counts once, and so does the bar at 10, which the run sets without asking for a repaint.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(Form1& form1) : form1_(form1) { qApp->installEventFilter(this); }
    ~PaintRecorder() override { qApp->removeEventFilter(this); }
    QStringList paints;

private:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            if (watched == form1_.Picture1)
                record(QStringLiteral("picture"));
            else if (watched->parent() == form1_.ProgressBar1)
                record(QString::number(form1_.ProgressBar1->value()));
        }
        return false;
    }
    void record(const QString& state)
    {
        if (state != QStringLiteral("10") && (paints.isEmpty() || paints.back() != state))
            paints.append(state);
    }
    Form1& form1_;
};

TEST_F(Driver, ThePictureIsRepaintedBeforeEachLevelAndTheBarAsEachMaskStarts)
{
    load({picture(31)});
    QCoreApplication::processEvents();
    QStringList expected;
    for (int level = 0; level < 3; ++level) {
        expected.append("picture");
        for (int mask = 1; mask <= 9; ++mask)
            expected.append(QString::number(mask));
    }
    {
        PaintRecorder recorder(*form1);
        QTest::mouseClick(form1->bTodas, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(recorder.paints, expected);
    }
    EXPECT_EQ(form1->ProgressBar1->value(), 10);
}

} // namespace
} // namespace velsaro::testing
