#include "tests/app/form1_fixture.h"

#include "controls/combo_box.h"
#include "controls/image_control.h"
#include "controls/list_box.h"
#include "controls/picture_box.h"
#include "controls/picture_button.h"
#include "controls/progress_bar.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace velsaro::testing {
namespace {

using Form1StartUp = Form1Test;

TEST_F(Form1StartUp, OnlyCargarImagenThePictureAndTheProgressBarAreEnabled)
{
    form1->show();
    EXPECT_TRUE(form1->bCargaImgs->isEnabled());
    EXPECT_TRUE(form1->Picture1->isEnabled());
    EXPECT_TRUE(form1->ProgressBar1->isEnabled());
    for (QWidget* control : std::initializer_list<QWidget*>{form1->bUnaSola, form1->bPaso, form1->bTodas,
                                                            form1->bReset, form1->bPasoPaso, form1->co,
                                                            form1->List1})
        EXPECT_FALSE(control->isEnabled()) << control->metaObject()->className();
    for (ImageControl* zone : form1->zonas())
        EXPECT_FALSE(zone->isEnabled());
}

TEST_F(Form1StartUp, ClicksOnTheDisabledButtonsAndClickAreasDoNothing)
{
    form1->show();
    int clicks = 0;
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             form1->bUnaSola, form1->bPaso, form1->bTodas, form1->bReset, form1->bPasoPaso}) {
        QObject::connect(button, &QAbstractButton::clicked, [&] { ++clicks; });
        QTest::mouseClick(button, Qt::LeftButton);
    }
    for (ImageControl* zone : form1->zonas()) {
        QObject::connect(zone, &ImageControl::clicked, [&] { ++clicks; });
        QTest::mouseClick(zone, Qt::LeftButton, {}, QPoint(20, 20));
    }
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(form1->form3.exists());
    EXPECT_FALSE(form1->form2.exists());
}

TEST_F(Form1StartUp, StageListHoldsTheFiveRowsWithTheirLeadingBlanksTheFirstHighlighted)
{
    const QStringList expected = {
        QString::fromUtf8("Cálculo de Intersecciones (mallado 3x3)"),
        QString::fromUtf8("   Nivel: 1 -> Máscaras 4x4"),
        QString::fromUtf8("     Cálculo de DCT de las máscaras"),
        QString::fromUtf8("     Cálculo del Promedio de los coeficientes"),
        QString::fromUtf8("     Cálculo del Vector S"),
    };
    ASSERT_EQ(form1->List1->listCount(), 5);
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(form1->List1->itemText(row), expected[row]) << row;
    EXPECT_EQ(form1->List1->listIndex(), 0);
    EXPECT_TRUE(form1->List1->isSelected(0));
    for (int row = 1; row < 5; ++row)
        EXPECT_FALSE(form1->List1->isSelected(row));
}

TEST_F(Form1StartUp, ColourTableHoldsTheEightColoursAndNoKeys)
{
    const std::array<const char*, 8> colours = {"16711680", "255",      "65280",    "16777215",
                                                "65535",    "16776960", "16711935", "2048"};
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(form1->tablaColores[row][1], colours[row]) << row;
        EXPECT_TRUE(form1->tablaColores[row][0].isEmpty()) << row;
    }
}

TEST_F(Form1StartUp, SharedStateStartsWithNothingLoaded)
{
    EXPECT_EQ(form1->numImgs, 0);
    EXPECT_FALSE(form1->modoUnaSola);
    EXPECT_FALSE(form1->modoPaso);
    EXPECT_EQ(form1->pasoActual, 1);
    EXPECT_EQ(form1->numClavesDistintas, 0);
    for (const QString& clave : form1->claves)
        EXPECT_TRUE(clave.isEmpty());
    EXPECT_EQ(form1->ImageList1.count(), 0);
    EXPECT_EQ(form1->ImageList2.count(), 4);
    for (int entry = 1; entry <= 4; ++entry)
        EXPECT_EQ(form1->ImageList2.item(entry).picture.size(), QSize(430, 503));
}

TEST_F(Form1StartUp, NothingIsShownYet)
{
    EXPECT_FALSE(form1->Picture1->hasPicture());
    EXPECT_EQ(form1->Picture1->point(215, 250), 12632256);
    EXPECT_EQ(form1->co->listCount(), 0);
    EXPECT_TRUE(form1->Label7->text().isEmpty());
    EXPECT_DOUBLE_EQ(form1->ProgressBar1->min(), 1);
    EXPECT_DOUBLE_EQ(form1->ProgressBar1->max(), 10);
    EXPECT_FALSE(form1->form2.exists());
    EXPECT_FALSE(form1->formClaveSola.exists());
    EXPECT_FALSE(form1->form3.exists());
}

TEST_F(Form1StartUp, WindowIsAFixedCentredVelsaroWindowWithoutMaximise)
{
    form1->show();
    EXPECT_EQ(form1->windowTitle(), "Velsaro");
    EXPECT_EQ(form1->size(), QSize(800, 600));
    EXPECT_EQ(form1->minimumSize(), QSize(800, 600));
    EXPECT_EQ(form1->maximumSize(), QSize(800, 600));
    EXPECT_FALSE(form1->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(form1->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(form1->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    const QPoint windowCentre = form1->geometry().center();
    EXPECT_LE((screenCentre - windowCentre).manhattanLength(), 60);
}

TEST_F(Form1StartUp, FocusMovesThroughTheControlsInTheirOrder)
{
    // The order of the chain, over the controls that can take focus, enabled or not.
    const std::vector<QWidget*> expected = {form1->Picture1, form1->bPasoPaso, form1->List1,
                                            form1->bCargaImgs, form1->bReset, form1->bPaso,
                                            form1->bUnaSola, form1->co, form1->bTodas};
    std::vector<QWidget*> chain;
    QWidget* widget = form1->Picture1;
    do {
        if (std::find(expected.begin(), expected.end(), widget) != expected.end())
            chain.push_back(widget);
        widget = widget->nextInFocusChain();
    } while (widget != form1->Picture1 && chain.size() < 20);
    EXPECT_EQ(chain, expected);
}

TEST_F(Form1StartUp, TabSkipsTheDisabledControls)
{
    form1->show();
    QApplication::setActiveWindow(form1.get());
    form1->Picture1->setFocus();
    ASSERT_TRUE(form1->Picture1->hasFocus());
    QTest::keyClick(form1->Picture1, Qt::Key_Tab);
    EXPECT_TRUE(form1->bCargaImgs->hasFocus());
    QTest::keyClick(form1->bCargaImgs, Qt::Key_Tab);
    EXPECT_TRUE(form1->Picture1->hasFocus());
}

} // namespace
} // namespace velsaro::testing
