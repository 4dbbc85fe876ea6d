// "Cargar Imagen": one to eight picture files, chosen in the file dialog, become the loaded set, listed
// in the selector with the first one on show.
#include "app/main_window.h"

#include "controls/combo_box.h"
#include "controls/file_open_dialog.h"
#include "controls/list_box.h"
#include "controls/message_box.h"
#include "controls/picture_box.h"
#include "picture/picture_file.h"
#include "controls/progress_bar.h"
#include "windows/form_clave_sola.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

namespace velsaro {

namespace {

// The descriptions are the ones the user reads; the patterns also offer ".jpeg" files as JPEG, and
// the dialog matches them whatever the letters' case, so a camera's "FOTO.JPG" is offered too.
const char dialogFilter[] = "Todos los archivos compatibles(*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.jpeg;*.gif|"
                            "Mapa de Bits Windows|*.bmp|"
                            "Mapa de bits JPEG|*.jpg;*.jpeg|"
                            "Archivo GIF|*.gif";
constexpr int maxFileNameText = 3000;

const char tooManyFiles[] =
    "Ha seleccionado demasiados archivos (Máximo 8). O la ruta del directorio es demasiado larga.";

// The file's name, then what the reader found wrong with it ("el archivo no existe", "no se puede
// leer", "no es una imagen BMP, JPEG o GIF válida", "la imagen es demasiado grande (...)"), so that a
// valid picture refused for its size is not called invalid.
QString unreadablePicture(const QString& fileName, const QString& reason)
{
    return QString::fromUtf8("No se pudo cargar la imagen \"%1\": %2.")
        .arg(fileName, reason);
}

FileOpenSettings loadDialogSettings()
{
    FileOpenSettings settings;
    settings.title = QString::fromUtf8("Cargar Imágenes");
    settings.filter = QString::fromUtf8(dialogFilter);
    settings.allowMultiple = true;
    settings.maxNameLength = maxFileNameText;
    return settings;
}

// Each part of the progress: the folder and every file count ten.
constexpr int progressPerPart = 10;

} // namespace

void Form1::connectLoading()
{
    connect(bCargaImgs, &QPushButton::clicked, this, &Form1::bCargaImgs_Click);
}

void Form1::bCargaImgs_Click()
{
    bReset_Click();

    // Cancelling ends the load without a word. A choice the dialog cannot express (a file-name text
    // over the limit, files from several folders) has emptied the loaded set all the same, so the
    // user is told, in the words that name the long path.
    const FileOpenResult chosen = CommonDialog1.open(loadDialogSettings());
    if (chosen.status == FileOpenResult::Status::Cancelled)
        return;
    if (chosen.status == FileOpenResult::Status::Failed) {
        messageBox_.show(QString::fromUtf8(tooManyFiles));
        return;
    }
    // One file: its full path. Several: the folder, then each file name, separated by NUL.
    const QString nombresArchivos = chosen.fileNames;
    const QStringList parts = nombresArchivos.split(QChar(u'\0'));
    const int lastPart = int(parts.size()) - 1;
    if (lastPart > maxImages) {
        messageBox_.show(QString::fromUtf8(tooManyFiles));
        return;
    }

    formClaveSola->LClave->clear();
    ImageList1.clear();
    co->clear();
    if (readChosenFiles(parts))
        listLoadedImages();
}

bool Form1::readChosenFiles(const QStringList& parts)
{
    const int lastPart = int(parts.size()) - 1;
    int progress = 0;
    ProgressBar1->setValue(1);
    ProgressBar1->setMax((lastPart + 1) * progressPerPart);
    for (int i = 0; i <= lastPart; ++i) {
        progress += progressPerPart;
        ProgressBar1->setValue(progress);
        if (lastPart > 0 && i == 0)
            continue; // the folder
        const QString path = lastPart == 0 ? parts[0] : QDir(parts[0]).filePath(parts[i]);
        const QString key = lastPart == 0 ? QFileInfo(path).fileName() : parts[i];
        const PictureFile file = readPictureFile(QFile::encodeName(path).toStdString());
        if (file.error != PictureFileError::None) {
            abandonLoad(key, file.reason);
            return false;
        }
        ImageList1.add(ImageList1.count() + 1, key, file.image);
    }
    ProgressBar1->setValue(progress);
    ProgressBar1->setValue(1);
    ProgressBar1->setMax(10);
    return true;
}

void Form1::listLoadedImages()
{
    Picture1->setPicture(ImageList1.item(1).picture);
    for (int entry = 1; entry <= ImageList1.count(); ++entry)
        co->addItem(QStringLiteral("%1:%2").arg(entry).arg(ImageList1.item(entry).key));
    co->setListIndex(0);

    numImgs = std::int16_t(ImageList1.count());
    updateEnabledStates();
}

void Form1::abandonLoad(const QString& fileName, const QString& reason)
{
    // Nothing of a load that could not read all its files stays: the window is as "Descargar" leaves
    // it, and the message says which file stopped it and why.
    ImageList1.clear();
    updateEnabledStates();
    ProgressBar1->setValue(1);
    ProgressBar1->setMax(10);
    messageBox_.show(unreadablePicture(fileName, reason));
}

} // namespace velsaro
