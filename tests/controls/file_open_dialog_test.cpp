#include "controls/file_open_dialog.h"
#include "tests/controls/qstring_printer.h"

#include "tests/support/picture_files.h"
#include "tests/support/scripted_file_open_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QEventLoop>
#include <QFileSystemModel>
#include <QListView>
#include <QFileDialog>
#include <QHeaderView>
#include <QStyle>
#include <QTest>
#include <QTreeView>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using velsaro::FileOpenResult;
using velsaro::FileOpenSettings;
using Status = FileOpenResult::Status;

const QString programFilter = QStringLiteral(
    "Todos los archivos compatibles(*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.gif|Mapa de Bits Windows|*.bmp|"
    "Mapa de bits JPEG|*.jpg|Archivo GIF|*.gif");

FileOpenSettings loadSettings()
{
    return {QStringLiteral("Cargar Imágenes"), programFilter, true, 3000};
}

QString nul()
{
    return QString(QChar(u'\0'));
}

// Runs the real dialog, handing it to user once it is open; user must accept or reject it.
FileOpenResult openWith(const FileOpenSettings& settings, const std::function<void(QFileDialog&)>& user)
{
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog)
            user(*dialog);
        else if (QWidget* other = QApplication::activeModalWidget())
            other->close();
    });
    velsaro::QtFileOpenDialog dialog(nullptr);
    return dialog.open(settings);
}

void typeNames(QFileDialog& dialog, const QString& folder, const QString& names)
{
    dialog.setDirectory(folder);
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(names);
    static_cast<QDialog&>(dialog).accept(); // public as a QDialog, and still the file dialog's own
}

TEST(FileNameText, OneFileIsItsFullPath)
{
    EXPECT_EQ(velsaro::fileNameText({QStringLiteral("/fotos/cara.jpg")}), QStringLiteral("/fotos/cara.jpg"));
}

TEST(FileNameText, SeveralFilesAreTheFolderThenEachNameInOrderSeparatedByNul)
{
    const QString text = velsaro::fileNameText(
        {QStringLiteral("/fotos/b.gif"), QStringLiteral("/fotos/a.bmp"), QStringLiteral("/fotos/c d.jpg")});
    EXPECT_EQ(text, QStringLiteral("/fotos") + nul() + QStringLiteral("b.gif") + nul() +
                        QStringLiteral("a.bmp") + nul() + QStringLiteral("c d.jpg"));
    EXPECT_EQ(text.split(QChar(u'\0')).size(), 4);
}

TEST(FileNameText, FilesInTheRootFolderStartWithTheRoot)
{
    EXPECT_EQ(velsaro::fileNameText({QStringLiteral("/a.bmp"), QStringLiteral("/b.bmp")}),
              QStringLiteral("/") + nul() + QStringLiteral("a.bmp") + nul() + QStringLiteral("b.bmp"));
}

TEST(FileNameText, FilesFromDifferentFoldersHaveNoText)
{
    EXPECT_EQ(velsaro::fileNameText({QStringLiteral("/a/x.bmp"), QStringLiteral("/b/y.bmp")}), QString());
}

TEST(FileOpenResult, ChoiceLongerThanTheLimitFailsAndOneAtTheLimitIsChosen)
{
    FileOpenSettings settings = loadSettings();
    const QStringList paths{QStringLiteral("/f/a.bmp"), QStringLiteral("/f/b.bmp")};
    settings.maxNameLength = int(velsaro::fileNameText(paths).size());
    EXPECT_EQ(velsaro::fileOpenResult(paths, settings).status, Status::Chosen);
    settings.maxNameLength -= 1;
    const FileOpenResult tooLong = velsaro::fileOpenResult(paths, settings);
    EXPECT_EQ(tooLong.status, Status::Failed);
    EXPECT_EQ(tooLong.fileNames, QString());
    EXPECT_EQ(velsaro::fileOpenResult({}, settings).status, Status::Cancelled);
}

TEST(NameFilters, EachPairBecomesADescriptionWithItsPatterns)
{
    const QStringList filters = velsaro::nameFilters(programFilter);
    ASSERT_EQ(filters.size(), 4);
    EXPECT_EQ(filters[0], QStringLiteral("Todos los archivos compatibles(*.bmp;*.jpg;*.gif) (*.bmp *.jpg *.gif)"));
    EXPECT_EQ(filters[1], QStringLiteral("Mapa de Bits Windows (*.bmp)"));
    EXPECT_EQ(filters[2], QStringLiteral("Mapa de bits JPEG (*.jpg)"));
    EXPECT_EQ(filters[3], QStringLiteral("Archivo GIF (*.gif)"));
    EXPECT_EQ(velsaro::nameFilters(QStringLiteral("Solo|*.bmp|Sin patrones")).size(), 1);
}

TEST(QtFileOpenDialog, OpensWithTheTitleAndTheFourFilterDescriptionsFirstSelected)
{
    QString title;
    QStringList shownFilters;
    QStringList filters;
    int selectedType = -1;
    bool multiple = false;
    const FileOpenResult result = openWith(loadSettings(), [&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        multiple = dialog.fileMode() == QFileDialog::ExistingFiles;
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; types && i < types->count(); ++i)
            shownFilters.append(types->itemText(i));
        selectedType = types ? types->currentIndex() : -1;
        filters = dialog.nameFilters();
        dialog.reject();
    });
    EXPECT_EQ(result.status, Status::Cancelled);
    EXPECT_EQ(result.fileNames, QString());
    EXPECT_EQ(title, QStringLiteral("Cargar Imágenes"));
    EXPECT_TRUE(multiple);
    EXPECT_EQ(shownFilters, QStringList({QStringLiteral("Todos los archivos compatibles(*.bmp;*.jpg;*.gif)"),
                                         QStringLiteral("Mapa de Bits Windows"),
                                         QStringLiteral("Mapa de bits JPEG"), QStringLiteral("Archivo GIF")}));
    EXPECT_EQ(selectedType, 0);
    // The patterns are there, only not shown a second time.
    EXPECT_EQ(filters, velsaro::nameFilters(programFilter));
}

TEST(QtFileOpenDialog, SpeaksSpanish)
{
    QStringList labels;
    QStringList buttons;
    openWith(loadSettings(), [&](QFileDialog& dialog) {
        for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
            if (auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name)))
                labels.append(label->text());
        if (auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox")))
            for (QAbstractButton* button : box->buttons())
                buttons.append(button->text());
        dialog.reject();
    });
    EXPECT_EQ(labels, QStringList({"Ver en:", "&Nombre de fichero:", "Ficheros de tipo:"}));
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"&Abrir", "Cancelar"}));
}

TEST(QtFileOpenDialog, SeveralChosenFilesGiveTheFolderAndTheirNames)
{
    const velsaro::testing::TemporaryFolder folder;
    folder.write(QStringLiteral("uno.bmp"), QByteArray("x"));
    folder.write(QStringLiteral("dos.gif"), QByteArray("x"));
    const FileOpenResult result = openWith(loadSettings(), [&](QFileDialog& dialog) {
        typeNames(dialog, folder.path(), QStringLiteral("\"uno.bmp\" \"dos.gif\""));
    });
    ASSERT_EQ(result.status, Status::Chosen);
    const QStringList parts = result.fileNames.split(QChar(u'\0'));
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(QFileInfo(parts[0]).canonicalFilePath(), QFileInfo(folder.path()).canonicalFilePath());
    EXPECT_EQ(parts[1], QStringLiteral("uno.bmp"));
    EXPECT_EQ(parts[2], QStringLiteral("dos.gif"));
}

TEST(QtFileOpenDialog, OneChosenFileGivesItsFullPath)
{
    const velsaro::testing::TemporaryFolder folder;
    const QString path = folder.write(QStringLiteral("cara.jpg"), QByteArray("x"));
    const FileOpenResult result = openWith(loadSettings(), [&](QFileDialog& dialog) {
        typeNames(dialog, folder.path(), QStringLiteral("cara.jpg"));
    });
    ASSERT_EQ(result.status, Status::Chosen);
    EXPECT_EQ(QFileInfo(result.fileNames).canonicalFilePath(), QFileInfo(path).canonicalFilePath());
}

// The names the dialog lists in folder, once it has read the folder.
QStringList listedNames(QFileDialog& dialog, const QString& folder)
{
    auto* model = dialog.findChild<QFileSystemModel*>();
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    if (!model || !view)
        return {};
    QEventLoop loop;
    QObject::connect(model, &QFileSystemModel::directoryLoaded, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit); // a stuck listing fails the test, not the run
    dialog.setDirectory(folder);
    loop.exec();
    QCoreApplication::processEvents();
    QStringList names;
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
        names.append(view->model()->index(row, 0, view->rootIndex()).data().toString());
    names.sort();
    return names;
}

TEST(QtFileOpenDialog, PatternsMatchWhateverTheCaseOfTheNames)
{
    const velsaro::testing::TemporaryFolder folder;
    for (const char* name : {"FOTO.JPG", "cara.jpeg", "Retrato.Bmp", "anim.GIF", "notas.txt"})
        folder.write(QString::fromLatin1(name), QByteArray("x"));
    FileOpenSettings settings = loadSettings();
    settings.filter = QStringLiteral("Todos los archivos compatibles(*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.jpeg;*.gif");
    QStringList listed;
    openWith(settings, [&](QFileDialog& dialog) {
        listed = listedNames(dialog, folder.path());
        dialog.reject();
    });
    EXPECT_EQ(listed, QStringList({"FOTO.JPG", "Retrato.Bmp", "anim.GIF", "cara.jpeg"}));
}

TEST(QtFileOpenDialog, ListsTypesSizesAndDatesInSpanishInColumnsShownWhole)
{
    const velsaro::testing::TemporaryFolder folder;
    folder.makeFolder(QStringLiteral("fotos"));
    QFile picture(folder.write(QStringLiteral("cara.bmp"), QByteArray(650000, 'x')));
    ASSERT_TRUE(picture.open(QIODevice::ReadWrite) &&
                picture.setFileTime(QDateTime(QDate(2024, 12, 8), QTime(13, 31)), QFileDevice::FileModificationTime));
    QStringList rows(2);
    int cellsCut = 0;
    openWith(loadSettings(), [&](QFileDialog& dialog) {
        listedNames(dialog, folder.path());
        QTest::qWait(50); // the columns are fitted once the listing is laid out
        auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        const int margins = 2 * (dialog.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        for (int row = 0; details && row < 2; ++row)
            for (int column = 0; column < 4; ++column) {
                const QString text = details->model()->index(row, column, details->rootIndex()).data().toString();
                rows[row] += text + '|';
                const int needed = std::max(details->fontMetrics().horizontalAdvance(text) + margins,
                                            details->header()->sectionSizeHint(column));
                cellsCut += column > 0 && details->header()->sectionSize(column) < needed;
            }
        dialog.reject();
    });
    EXPECT_TRUE(rows[0].startsWith("fotos||Carpeta|")) << qPrintable(rows[0]);
    EXPECT_EQ(rows[1], "cara.bmp|634,77 KiB|imagen BMP de Windows|8/12/24 13:31|");
    EXPECT_EQ(cellsCut, 0);
}

TEST(QtFileOpenDialog, SingleFileModeWhenSeveralAreNotAllowed)
{
    FileOpenSettings settings = loadSettings();
    settings.allowMultiple = false;
    QFileDialog::FileMode mode = QFileDialog::Directory;
    openWith(settings, [&](QFileDialog& dialog) {
        mode = dialog.fileMode();
        dialog.reject();
    });
    EXPECT_EQ(mode, QFileDialog::ExistingFile);
}

TEST(ScriptedFileOpenDialog, AnswersInOrderThenCancelsAndKeepsEverySetting)
{
    velsaro::testing::ScriptedFileOpenDialog scripted;
    scripted.choose({QStringLiteral("/f/a.bmp"), QStringLiteral("/f/b.bmp")});
    scripted.fail();
    scripted.choose({QStringLiteral("/f/c.gif")});
    velsaro::FileOpenDialog& dialog = scripted;

    const FileOpenResult first = dialog.open(loadSettings());
    EXPECT_EQ(first.status, Status::Chosen);
    EXPECT_EQ(first.fileNames,
              QStringLiteral("/f") + nul() + QStringLiteral("a.bmp") + nul() + QStringLiteral("b.bmp"));
    EXPECT_EQ(dialog.open(loadSettings()).status, Status::Failed);
    FileOpenSettings shortLimit = loadSettings();
    shortLimit.maxNameLength = 5;
    EXPECT_EQ(dialog.open(shortLimit).status, Status::Failed);
    EXPECT_EQ(dialog.open(loadSettings()).status, Status::Cancelled);

    ASSERT_EQ(scripted.openings().size(), 4u);
    EXPECT_EQ(scripted.openings()[0].title, QStringLiteral("Cargar Imágenes"));
    EXPECT_EQ(scripted.openings()[0].filter, programFilter);
    EXPECT_EQ(scripted.openings()[2].maxNameLength, 5);
}

} // namespace
