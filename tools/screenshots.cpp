// velsaro_screenshots: renders the four windows offscreen into PNG files for the documentation,
// driving the program as a user does: files picked in the dialog, buttons and click areas clicked.
// The main window and the detail window are shown as they open; the keys window holds the keys of the
// bundled sample pictures after "Comparar", and the single-key window the key of the first of them
// after "Normal". Two more show a real use: the main window with samples loaded, and the keys window
// after "Comparar"; and two follow a walkthrough of a sample face: the main window at stage 6, with
// the mesh and its squares over the face, and the detail window at stage 14. The last shows the file
// dialog of "Cargar Imagen" in the samples folder, in Spanish as the program shows it.
#include "app/main_window.h"
#include "controls/combo_box.h"
#include "controls/file_open_dialog.h"
#include "controls/fonts.h"
#include "controls/image_control.h"
#include "controls/message_box.h"
#include "controls/picture_button.h"
#include "controls/translations.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form_clave_sola.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>

namespace {

// The file dialog, answered with the files the tool picks.
class PickedFiles : public velsaro::FileOpenDialog {
public:
    QStringList paths;

    velsaro::FileOpenResult open(const velsaro::FileOpenSettings& settings) override
    {
        return velsaro::fileOpenResult(paths, settings);
    }
};

// A message would wait for a user; the tool reports it and goes on.
class MessagesToStandardError : public velsaro::MessageBox {
public:
    void show(const QString& text) override
    {
        std::fprintf(stderr, "velsaro_screenshots: %s\n", qPrintable(text));
    }
};

// The main window with its file dialog and message box.
struct Session {
    PickedFiles dialog;
    MessagesToStandardError messages;
    velsaro::Form1 form1{dialog, messages};

    Session() { form1.show(); }

    // "Cargar Imagen" with paths picked in the dialog; whether all of them were loaded.
    bool load(const QStringList& paths)
    {
        dialog.paths = paths;
        form1.bCargaImgs->click();
        if (form1.co->listCount() == paths.size())
            return true;
        std::fprintf(stderr, "velsaro_screenshots: cannot load %s\n",
                     qPrintable(QDir::toNativeSeparators(paths.join(QStringLiteral(", ")))));
        return false;
    }
};

// A press and release of the left button in the middle of widget, as the window system delivers them.
void click(QWidget& widget)
{
    const QPointF middle = QRectF(widget.rect()).center();
    const QPointF global = widget.mapToGlobal(middle);
    QMouseEvent press(QEvent::MouseButtonPress, middle, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, middle, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
    QCoreApplication::sendEvent(&widget, &release);
}

bool save(QWidget& window, const QDir& out, const char* name)
{
    const QString path = out.filePath(QString::fromLatin1(name));
    if (!window.grab().save(path, "PNG")) {
        std::fprintf(stderr, "velsaro_screenshots: cannot write %s\n", qPrintable(QDir::toNativeSeparators(path)));
        return false;
    }
    return true;
}

// The main window as it opens, the keys of every sample after "Comparar", the key of the first one
// after "Normal", and the detail window as it opens.
bool saveFirstViews(const QDir& samples, const QDir& out)
{
    Session session;
    velsaro::Form1& form1 = session.form1;
    bool saved = save(form1, out, "form1.png");

    QStringList paths;
    for (const QString& name : samples.entryList({"*.bmp", "*.jpg", "*.gif"}, QDir::Files, QDir::Name))
        paths.append(samples.absoluteFilePath(name));
    if (!session.load(paths.mid(0, velsaro::SharedState::maxImages)))
        return false;
    form1.bTodas->click();
    saved = save(*form1.form2, out, "form2.png") && saved;
    form1.co->setListIndex(0);
    form1.bUnaSola->click();
    saved = save(*form1.formClaveSola, out, "formclavesola.png") && saved;

    velsaro::Form3 form3;
    form3.show();
    return save(form3, out, "form3.png") && saved;
}

// The main window after a real load of three samples, the serious face twice (as BMP and as GIF)
// around the smiling one, and the keys window after "Comparar".
bool saveCompareRun(const QDir& samples, const QDir& out)
{
    Session session;
    velsaro::Form1& form1 = session.form1;
    if (!session.load({samples.absoluteFilePath("cara_seria.bmp"), samples.absoluteFilePath("cara_sonriente.jpg"),
                       samples.absoluteFilePath("cara_seria.gif")}))
        return false;
    bool saved = save(form1, out, "form1_loaded.png");
    form1.bTodas->click();
    saved = save(*form1.form2, out, "form2_compare.png") && saved;
    return saved;
}

// Loads the face as a user does, walks it to stage 6 and then to stage 14, opening the detail of the
// centre intersection there.
bool saveWalkthrough(const QString& face, const QDir& out)
{
    Session session;
    velsaro::Form1& form1 = session.form1;
    if (!session.load({face}))
        return false;
    form1.bPaso->click();
    // Each press performs one stage, from the first: five presses lead to stage 6.
    for (int press = 1; press <= 5; ++press)
        form1.bPasoPaso->click();
    bool saved = save(form1, out, "form1_paso6.png");
    for (int press = 6; press <= 13; ++press)
        form1.bPasoPaso->click();
    click(*form1.zona22);
    saved = save(*form1.form3, out, "form3_paso14.png") && saved;
    return saved;
}

// Presses "Cargar Imagen" with the real file dialog, opened in the samples folder, and takes its
// picture once the folder's files are listed; then cancels it.
bool saveFileDialog(const QDir& samples, const QDir& out)
{
    QDir::setCurrent(samples.absolutePath());
    velsaro::QtFileOpenDialog dialog(nullptr);
    MessagesToStandardError messages;
    velsaro::Form1 form1(dialog, messages);
    form1.show();
    bool saved = false;
    // The dialog is modal: it is pictured from the event loop it runs.
    QTimer::singleShot(0, [&] {
        auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!shown)
            return;
        // The folder is listed in the background.
        const auto* files = shown->findChild<QListView*>(QStringLiteral("listView"));
        QElapsedTimer waited;
        waited.start();
        while (files && files->model()->rowCount(files->rootIndex()) < 3 && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        saved = save(*shown, out, "dialogo_cargar.png");
        shown->reject();
    });
    form1.bCargaImgs->click();
    if (!saved)
        std::fprintf(stderr, "velsaro_screenshots: the file dialog did not open\n");
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    velsaro::installFontSubstitutes();
    velsaro::installSpanishTranslations();
    if (argc != 3) {
        std::fprintf(stderr, "usage: velsaro_screenshots SAMPLES_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    // Absolute, since the file dialog's picture is taken from inside the samples folder.
    const QDir samples(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    const QDir out(QDir(QString::fromLocal8Bit(argv[2])).absolutePath());
    QDir().mkpath(out.path());

    bool saved = saveFirstViews(samples, out);
    saved = saveCompareRun(samples, out) && saved;
    saved = saveWalkthrough(samples.absoluteFilePath(QStringLiteral("cara_seria.bmp")), out) && saved;
    saved = saveFileDialog(samples, out) && saved;
    return saved ? 0 : 1;
}
