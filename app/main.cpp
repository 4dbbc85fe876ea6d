// velsaro: the desktop program. One main window; the program ends when it is closed. Picture files
// named on the command line load into it at start-up.
#include "app/close_on_signal.h"
#include "app/main_window.h"
#include "controls/file_open_dialog.h"
#include "controls/fonts.h"
#include "controls/message_box.h"
#include "controls/translations.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

const char usage[] = R"(Uso: velsaro [ARCHIVO...]
     velsaro --help | --version

Abre la ventana principal de Velsaro. Cada ARCHIVO es una imagen (Windows BMP, JPEG o GIF):
de una a ocho se cargan al empezar, como si se hubieran elegido en «Cargar Imágenes», y se
muestra la primera.

Opciones:
  -h, --help     muestra esta ayuda y termina
      --version  muestra la versión y termina
      --         lo que sigue son archivos, aunque empiecen por «-»

También se aceptan las opciones generales de Qt, como -platform o -display.
)";

bool isOption(const char* argument, const char* name) { return std::strcmp(argument, name) == 0; }

// The one option asked for before the files, if any: "--help", "-h" or "--version". Answered before
// any window system is needed, so that scripts and packages can ask.
const char* informationAskedFor(int argc, char** argv)
{
    for (int i = 1; i < argc && !isOption(argv[i], "--"); ++i)
        if (isOption(argv[i], "--help") || isOption(argv[i], "-h") || isOption(argv[i], "--version"))
            return argv[i];
    return nullptr;
}

// The picture files before any "--", as the bytes the system gave, once Qt has taken its own options
// out; nothing when an option is not known.
std::optional<std::vector<std::string>> pictureFiles(int argc, char** argv)
{
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-' && argv[i][1] != '\0') {
            std::fprintf(stderr, "velsaro: opción desconocida: %s\nPruebe «velsaro --help».\n", argv[i]);
            return std::nullopt;
        }
        files.emplace_back(argv[i]);
    }
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* asked = informationAskedFor(argc, argv)) {
        if (isOption(asked, "--version"))
            std::printf("velsaro %s\n", VELSARO_VERSION);
        else
            std::fputs(usage, stdout);
        return 0;
    }
    QApplication::setApplicationName(QStringLiteral("Velsaro"));
    QApplication::setApplicationVersion(QStringLiteral(VELSARO_VERSION));
    // Qt takes its own options (-reverse, -style...) wherever they stand: the words after "--" are
    // files, and never reach it.
    const int dash = int(std::find_if(argv + 1, argv + argc, [](const char* word) { return isOption(word, "--"); }) - argv);
    int qtArgc = dash;
    QApplication application(qtArgc, argv);
    std::optional<std::vector<std::string>> files = pictureFiles(qtArgc, argv);
    if (!files)
        return 2;
    files->insert(files->end(), argv + std::min(dash + 1, argc), argv + argc);
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
    // Once the window is on show, so that a message about the files appears over it.
    QTimer::singleShot(0, &form1, [&form1, &files] { form1.openFiles(*files); });
    return QApplication::exec();
}
