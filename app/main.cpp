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
#include <string_view>
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

// Qt's own options: QApplication and its X11 platform take them out of the arguments wherever they
// stand, with one dash or two, and the value of those that take one with them.
struct QtOption {
    const char* name;
    bool takesValue;
};
constexpr QtOption qtOptions[] = {
    {"-platform", true},        {"-platformpluginpath", true}, {"-platformtheme", true},
    {"-plugin", true},          {"-qwindowgeometry", true},    {"-qwindowtitle", true},
    {"-qwindowicon", true},     {"-geometry", true},           {"-title", true},
    {"-icon", true},            {"-session", true},            {"-style", true},
    {"-stylesheet", true},      {"-display", true},            {"-name", true},
    {"-visual", true},          {"-reverse", false},           {"-testability", false},
    {"-widgetcount", false},    {"-nograb", false},            {"-dograb", false},
    {"-qdevel", false},         {"-qdebug", false},
};

// How many words a Qt option takes, its value included; 0 for a word that is not one.
int wordsOfQtOption(std::string_view word)
{
    if (word.starts_with("--"))
        word.remove_prefix(1);
    if (word.starts_with("-style=") || word.starts_with("-stylesheet="))
        return 1;
    for (const QtOption& option : qtOptions)
        if (word == option.name)
            return option.takesValue ? 2 : 1;
    return 0;
}

// The picture files, as the bytes the system gave: the words that are not Qt's options, and every
// word after "--". Read before Qt starts, so that an unknown option is reported without a display;
// nothing when there is one.
std::optional<std::vector<std::string>> pictureFiles(int argc, char** argv)
{
    std::vector<std::string> files;
    int i = 1;
    for (; i < argc && !isOption(argv[i], "--"); ++i) {
        if (argv[i][0] != '-' || argv[i][1] == '\0') {
            files.emplace_back(argv[i]);
            continue;
        }
        const int words = wordsOfQtOption(argv[i]);
        if (words == 0) {
            std::fprintf(stderr, "velsaro: opción desconocida: %s\nPruebe «velsaro --help».\n", argv[i]);
            return std::nullopt;
        }
        i += words - 1;
    }
    files.insert(files.end(), argv + std::min(i + 1, argc), argv + argc);
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
    const std::optional<std::vector<std::string>> files = pictureFiles(argc, argv);
    if (!files)
        return 2;
    QApplication::setApplicationName(QStringLiteral("Velsaro"));
    QApplication::setApplicationVersion(QStringLiteral(VELSARO_VERSION));
    // The words after "--" are files, and never reach Qt.
    int qtArgc = int(std::find_if(argv + 1, argv + argc, [](const char* word) { return isOption(word, "--"); }) - argv);
    QApplication application(qtArgc, argv);
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
