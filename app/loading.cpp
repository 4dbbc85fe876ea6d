// "Cargar Imagen": one to eight picture files, chosen in the file dialog, become the loaded set, listed
// in the selector with the first one on show. Files given on the command line or dropped on the window
// are loaded the same way.
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
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

namespace velsaro {

namespace {

// The descriptions are the ones the user reads; the patterns also offer ".jpeg" files as JPEG, and
// the dialog matches them whatever the letters' case, so a camera's "FOTO.JPG" is offered too.
const char dialogFilter[] = "Todos los archivos compatibles(*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.jpeg;*.gif|"
                            "Mapa de Bits Windows|*.bmp|"
                            "Mapa de bits JPEG|*.jpg;*.jpeg|"
                            "Archivo GIF|*.gif";
constexpr int maxFileNameText = 3000;

const char notALocalFile[] = "no es un archivo de este equipo";

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

// The name a file is listed under: its path's last part, decoded for display only. A trailing "/"
// does not count, so that "fotos/" is named "fotos" in the message that it is no picture.
QString fileNameOf(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return QFile::decodeName(QByteArray::fromStdString(path.substr(path.find_last_of('/') + 1)));
}

// The paths of the dialog's file-name text: one file's full path, or the folder followed by each
// chosen name, separated by NUL.
std::vector<std::string> pathsOfNameText(const QString& nombresArchivos)
{
    const QStringList parts = nombresArchivos.split(QChar(u'\0'));
    if (parts.size() == 1)
        return {QFile::encodeName(parts[0]).toStdString()};
    std::vector<std::string> paths;
    for (qsizetype i = 1; i < parts.size(); ++i)
        paths.push_back(QFile::encodeName(QDir(parts[0]).filePath(parts[i])).toStdString());
    return paths;
}

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
    loadFiles(pathsOfNameText(chosen.fileNames));
}

void Form1::openFiles(const std::vector<std::string>& paths)
{
    if (paths.empty())
        return;
    bReset_Click();
    loadFiles(paths);
}

bool Form1::acceptsDrop(const QMimeData& data) const
{
    // Dropped files load like chosen ones, so only while "Cargar Imagen" can be pressed: never during
    // a walkthrough.
    return data.hasUrls() && bCargaImgs->isEnabled();
}

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    if (acceptsDrop(*event->mimeData()))
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event)
{
    if (!acceptsDrop(*event->mimeData()))
        return;
    event->acceptProposedAction();
    // Loaded once the drop has ended, so that the program the files came from is not kept waiting
    // while they are read or a message is on show.
    const QList<QUrl> urls = event->mimeData()->urls();
    QMetaObject::invokeMethod(this, [this, urls] { openDroppedUrls(urls); }, Qt::QueuedConnection);
}

void Form1::openDroppedUrls(const QList<QUrl>& urls)
{
    std::vector<std::string> paths;
    for (const QUrl& url : urls) {
        // A web page's picture or a file of another machine has no path to read here.
        if (!url.isLocalFile()) {
            bReset_Click();
            messageBox_.show(unreadablePicture(url.toDisplayString(), QString::fromUtf8(notALocalFile)));
            return;
        }
        // The file system's own bytes, which a name that is not UTF-8 keeps only percent-encoded.
        paths.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
    }
    openFiles(paths);
}

void Form1::loadFiles(const std::vector<std::string>& paths)
{
    if (paths.size() > std::size_t(maxImages)) {
        messageBox_.show(QString::fromUtf8(tooManyFiles));
        return;
    }
    formClaveSola->LClave->clear();
    ImageList1.clear();
    co->clear();
    if (readChosenFiles(paths))
        listLoadedImages();
}

bool Form1::readChosenFiles(const std::vector<std::string>& paths)
{
    // Several files count one part more, the folder that heads the dialog's file-name text, so that
    // the bar moves alike however the files were chosen.
    const int parts = paths.size() == 1 ? 1 : int(paths.size()) + 1;
    int progress = 0;
    ProgressBar1->setValue(1);
    ProgressBar1->setMax(parts * progressPerPart);
    if (parts > 1) {
        progress += progressPerPart;
        ProgressBar1->setValue(progress);
    }
    for (const std::string& path : paths) {
        progress += progressPerPart;
        ProgressBar1->setValue(progress);
        const QString key = fileNameOf(path);
        const PictureFile file = readPictureFile(path);
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
