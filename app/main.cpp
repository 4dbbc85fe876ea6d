// velsaro: the desktop program. One main window; the program ends when it is closed.
#include "app/close_on_signal.h"
#include "app/main_window.h"
#include "controls/file_open_dialog.h"
#include "controls/fonts.h"
#include "controls/message_box.h"
#include "controls/translations.h"

#include <QApplication>
#include <QStyleFactory>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    // Answered before any window system is needed, so that scripts and packages can ask.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("velsaro %s\n", VELSARO_VERSION);
        return 0;
    }
    QApplication::setApplicationName(QStringLiteral("Velsaro"));
    QApplication::setApplicationVersion(QStringLiteral(VELSARO_VERSION));
    QApplication application(argc, argv);
    // One look on every desktop, so that the controls' fixed sizes suit what they draw.
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    velsaro::installFontSubstitutes();
    if (!velsaro::installSpanishTranslations())
        std::fprintf(stderr, "velsaro: faltan las traducciones de Qt al español (qtbase_es.qm); los diálogos "
                             "se muestran en inglés\n");

    velsaro::QtFileOpenDialog dialog(nullptr);
    velsaro::QtMessageBox messages(nullptr);
    velsaro::Form1 form1(dialog, messages);
    // Asked to end from outside, the program closes its window as the user would, and exits with 0.
    velsaro::CloseOnSignal closeOnSignal(form1);
    form1.show();
    return QApplication::exec();
}
