#include "controls/list_box.h"
#include "controls/rectangle_shape.h"
#include "tests/app/form1_fixture.h"
#include "tests/windows/fake_main_window.h"
#include "tests/windows/what_the_user_sees.h"
#include "windows/form_clave_sola.h"

#include <QClipboard>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>

namespace velsaro::testing {
namespace {

TEST(FormClaveSolaLayout, CaptionFixedSizeAndControlsApartInsideTheFrame)
{
    FakeMainWindow main;
    FormClaveSola form(main);
    EXPECT_EQ(form.windowTitle(), "Clave");
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form.aceptar->text(), "Aceptar");
    EXPECT_EQ(form.LClave->listCount(), 0);
    QLabel* title = labelWithText(form, "Clave");
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(liesOnItsStrip(*title));
    const QList<RectangleShape*> frames = form.findChildren<RectangleShape*>();
    ASSERT_EQ(frames.size(), 1);
    EXPECT_TRUE(frames[0]->geometry().contains(form.LClave->geometry()));
    EXPECT_TRUE(frames[0]->geometry().contains(form.aceptar->geometry()));
    EXPECT_FALSE(anyTwoOverlap({form.LClave, form.aceptar}));
}

TEST(FormClaveSolaLayout, OpensCentredOnTheScreen)
{
    FakeMainWindow main;
    FormClaveSola form(main);
    form.show();
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((form.geometry().center() - screenCentre).manhattanLength(), 60);
}

TEST(FormClaveSolaLayout, TabGoesFromTheListToAceptar)
{
    FakeMainWindow main;
    FormClaveSola form(main);
    EXPECT_EQ(focusAfterTab(form, *form.LClave), form.aceptar);
}

TEST(FormClaveSolaLayout, AWholeKeyFitsTheList)
{
    FakeMainWindow main;
    FormClaveSola form(main);
    const QString widest = QString("255.").repeated(27);
    form.LClave->addItem(widest);
    form.show();
    // The row's text starts and ends one focus-frame margin inside the list.
    const int margin = form.LClave->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, form.LClave) + 1;
    EXPECT_LE(form.LClave->fontMetrics().horizontalAdvance(widest) + 2 * margin, form.LClave->viewport()->width());
    EXPECT_EQ(QFontInfo(form.LClave->font()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(form.LClave->font()).pixelSize(), 11);
}

TEST(FormClaveSolaDoubleClick, BringsTheMainWindowForward)
{
    FakeMainWindow main;
    FormClaveSola form(main);
    form.LClave->addItem("1.2.3.");
    form.show();
    QTest::mouseDClick(form.LClave->viewport(), Qt::LeftButton, {},
                       form.LClave->visualItemRect(form.LClave->item(0)).center());
    EXPECT_EQ(main.broughtToFront, 1);
    EXPECT_TRUE(main.selected.empty());
}

TEST(FormClaveSolaCopy, CtrlCAndTheMenuCopyTheKeyAsShown)
{
    FakeMainWindow main;
    FormClaveSola form(main);
    const QString key = QString("255.").repeated(26) + "7.";
    form.LClave->addItem(key);
    QGuiApplication::clipboard()->clear();
    focusAfterTab(form, *form.aceptar);
    QTest::keyClick(form.LClave, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), key);

    QGuiApplication::clipboard()->clear();
    const QStringList offered = chooseFromContextMenu(*form.LClave->viewport(), QPoint(10, 5), "Copiar clave");
    EXPECT_EQ(offered, QStringList{"Copiar clave"});
    EXPECT_EQ(QGuiApplication::clipboard()->text(), key);
}

using FormClaveSolaLifecycle = Form1Test;

TEST_F(FormClaveSolaLifecycle, AceptarDestroysItAndItsKeyTheNextIsEmpty)
{
    form1->formClaveSola->LClave->addItem("1.2.3.");
    form1->formClaveSola.show();
    QPointer<FormClaveSola> first = &*form1->formClaveSola;
    QTest::mouseClick(form1->formClaveSola->aceptar, Qt::LeftButton);
    EXPECT_FALSE(form1->formClaveSola.exists());
    runDeferredDeletes();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(form1->formClaveSola->LClave->listCount(), 0);
    EXPECT_FALSE(form1->formClaveSola->isVisible());
}

TEST_F(FormClaveSolaLifecycle, AnOpenWindowKeepsItsContentsWhenShownAgain)
{
    form1->formClaveSola->LClave->addItem("1.2.3.");
    form1->formClaveSola.show();
    form1->formClaveSola.show();
    EXPECT_EQ(form1->formClaveSola->LClave->itemText(0), "1.2.3.");
}

TEST_F(FormClaveSolaLifecycle, DoubleClickShowsTheMainWindow)
{
    form1->formClaveSola->LClave->addItem("1.2.3.");
    form1->formClaveSola.show();
    ASSERT_FALSE(form1->isVisible());
    ListBox& list = *form1->formClaveSola->LClave;
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(0)).center());
    EXPECT_TRUE(form1->isVisible());
}

} // namespace
} // namespace velsaro::testing
