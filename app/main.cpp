// velsaro: the desktop program. One main window; the program ends when it is closed.
#include "app/close_on_signal.h"
#include "app/main_window.h"
#include "controls/file_open_dialog.h"
#include "controls/fonts.h"
#include "controls/message_box.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // One look on every desktop, so that the controls' fixed sizes suit what they draw.
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    velsaro::installFontSubstitutes();

    velsaro::QtFileOpenDialog dialog(nullptr);
    velsaro::QtMessageBox messages(nullptr);
    velsaro::Form1 form1(dialog, messages);
    // Asked to end from outside, the program closes its window as the user would, and exits with 0.
    velsaro::CloseOnSignal closeOnSignal(form1);
    form1.show();
    return QApplication::exec();
}
