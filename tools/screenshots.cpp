// velsaro_screenshots: renders the four windows offscreen into PNG files for the documentation.
// The main window and the detail window are shown as they open; the keys windows hold the keys of the
// bundled sample pictures, computed by the engine, so that the pictures show what they are for. Two
// more show a real use: the main window with samples loaded, and the keys window after "Comparar";
// and two follow a walkthrough of a sample face: the main window at stage 6, with the mesh and its
// squares over the face, and the detail window at stage 14. The last shows the file dialog of
// "Cargar Imagen" in the samples folder, in Spanish as the program shows it.
#include "app/main_window.h"
#include "controls/drawing_area.h"
#include "controls/file_open_dialog.h"
#include "controls/flex_grid.h"
#include "controls/fonts.h"
#include "controls/list_box.h"
#include "controls/message_box.h"
#include "controls/picture_button.h"
#include "controls/picture_file.h"
#include "controls/translations.h"
#include "engine/key_engine.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/form_clave_sola.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QListView>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>

namespace {

QString keyOfPicture(const QString& path)
{
    const velsaro::PictureFile file = velsaro::readPictureFile(path);
    if (file.error != velsaro::PictureFileError::None)
        return {};
    const velsaro::DrawingArea area(file.image);
    const auto read = [&](int x, int y) { return area.point(x, y); };
    return QString::fromStdString(velsaro::computeKey(read).text);
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

// The keys of the samples in the keys grid, coloured as a compare run colours them.
void showSampleKeys(velsaro::Form1& form1, const QStringList& keys)
{
    velsaro::FlexGrid& grid = *form1.form2->GridClaves;
    grid.setRows(int(keys.size()) + 1);
    for (int i = 0; i < keys.size(); ++i) {
        form1.claves[i] = keys[i];
        grid.setCol(0);
        grid.setRow(i + 1);
        grid.setText(keys[i]);
    }
    form1.numImgs = std::int16_t(keys.size());
    form1.numClavesDistintas = 0;
    form1.coloreaClaves();
    if (!keys.isEmpty())
        form1.formClaveSola->LClave->addItem(keys.front());
}

// The main window after a real load of three samples, the serious face twice (as BMP and as GIF)
// around the smiling one, and the keys window after "Comparar".
bool saveCompareRun(const QDir& samples, const QDir& out)
{
    velsaro::ScriptedFileOpenDialog dialog;
    velsaro::RecordingMessageBox messages;
    velsaro::Form1 form1(dialog, messages);
    form1.show();
    dialog.choose({samples.absoluteFilePath("cara_seria.bmp"), samples.absoluteFilePath("cara_sonriente.jpg"),
                   samples.absoluteFilePath("cara_seria.gif")});
    form1.bCargaImgs->click();
    if (form1.numImgs != 3) {
        std::fprintf(stderr, "velsaro_screenshots: the samples did not load\n");
        return false;
    }
    bool saved = save(form1, out, "form1_loaded.png");
    form1.bTodas->click();
    saved = save(*form1.form2, out, "form2_compare.png") && saved;
    return saved;
}

// Loads the face as a user does, walks it to stage 6 and then to stage 14, opening the detail of the
// centre intersection there.
bool saveWalkthrough(const QString& face, const QDir& out)
{
    velsaro::ScriptedFileOpenDialog dialog;
    velsaro::RecordingMessageBox messages;
    velsaro::Form1 form1(dialog, messages);
    form1.show();
    dialog.choose({face});
    form1.bCargaImgs->click();
    if (form1.numImgs != 1) {
        std::fprintf(stderr, "velsaro_screenshots: cannot load %s\n", qPrintable(QDir::toNativeSeparators(face)));
        return false;
    }
    form1.bPaso->click();
    while (form1.pasoActual < 6)
        form1.bPasoPaso->click();
    bool saved = save(form1, out, "form1_paso6.png");
    while (form1.pasoActual < 14)
        form1.bPasoPaso->click();
    form1.zona22_Click();
    saved = save(*form1.form3, out, "form3_paso14.png") && saved;
    return saved;
}

// Presses "Cargar Imagen" with the real file dialog, opened in the samples folder, and takes its
// picture once the folder's files are listed; then cancels it.
bool saveFileDialog(const QDir& samples, const QDir& out)
{
    QDir::setCurrent(samples.absolutePath());
    velsaro::QtFileOpenDialog dialog(nullptr);
    velsaro::RecordingMessageBox messages;
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

    QStringList keys;
    for (const QString& name : samples.entryList({"*.bmp", "*.jpg", "*.gif"}, QDir::Files, QDir::Name))
        if (const QString key = keyOfPicture(samples.filePath(name)); !key.isEmpty())
            keys.append(key);

    velsaro::ScriptedFileOpenDialog dialog;
    velsaro::RecordingMessageBox messages;
    velsaro::Form1 form1(dialog, messages);
    form1.show();
    showSampleKeys(form1, keys.mid(0, velsaro::SharedState::maxImages));
    form1.form3.show();

    bool saved = save(form1, out, "form1.png");
    saved = save(*form1.form2, out, "form2.png") && saved;
    saved = save(*form1.formClaveSola, out, "formclavesola.png") && saved;
    saved = save(*form1.form3, out, "form3.png") && saved;
    saved = saveCompareRun(samples, out) && saved;
    saved = saveWalkthrough(samples.filePath(QStringLiteral("cara_seria.bmp")), out) && saved;
    saved = saveFileDialog(samples, out) && saved;
    return saved ? 0 : 1;
}
