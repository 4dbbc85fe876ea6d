#include "tests/app/form1_fixture.h"

#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form_clave_sola.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

namespace velsaro::testing {
namespace {

using Form1Closing = Form1Test;

TEST_F(Form1Closing, ClosesTheOtherWindowsDetailFirstAndEndsTheProgram)
{
    form1->show();
    form1->form2.show();
    form1->formClaveSola.show();
    form1->form3.show();
    std::vector<std::string> order;
    QObject::connect(&form1->form3.slot(), &SecondaryWindowSlot::unloaded, [&] { order.push_back("Form3"); });
    QObject::connect(&form1->form2.slot(), &SecondaryWindowSlot::unloaded, [&] { order.push_back("Form2"); });
    QObject::connect(&form1->formClaveSola.slot(), &SecondaryWindowSlot::unloaded,
                     [&] { order.push_back("FormClaveSola"); });
    // The program's event loop ends once the main window is closed. Should it not, the guard ends it
    // with another code instead of letting the test hang.
    QTimer::singleShot(0, form1.get(), [&] { form1->close(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);

    EXPECT_EQ(order, (std::vector<std::string>{"Form3", "Form2", "FormClaveSola"}));
    EXPECT_FALSE(form1->form2.exists());
    EXPECT_FALSE(form1->formClaveSola.exists());
    EXPECT_FALSE(form1->form3.exists());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->windowTitle().toStdString();
}

TEST_F(Form1Closing, ClosesHiddenWindowsTooAndDestroysThem)
{
    form1->show();
    QPointer<Form2> keys = &*form1->form2;
    QPointer<Form3> detail = &*form1->form3;
    ASSERT_FALSE(keys->isVisible());
    form1->close();
    runDeferredDeletes();
    EXPECT_TRUE(keys.isNull());
    EXPECT_TRUE(detail.isNull());
}

TEST_F(Form1Closing, WithNoOtherWindowCreatesNone)
{
    form1->show();
    form1->close();
    EXPECT_FALSE(form1->form2.exists());
    EXPECT_FALSE(form1->formClaveSola.exists());
    EXPECT_FALSE(form1->form3.exists());
}

} // namespace
} // namespace velsaro::testing
