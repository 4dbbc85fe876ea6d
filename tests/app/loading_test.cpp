#include "tests/app/loaded_form1.h"

#include "controls/picture_box.h"
#include "picture/picture_file.h"
#include "controls/progress_bar.h"
#include "windows/form_clave_sola.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QProgressBar>

namespace velsaro::testing {
namespace {

const QString tooManyFiles =
    QString::fromUtf8("Ha seleccionado demasiados archivos (Máximo 8). O la ruta del directorio es demasiado larga.");

QString unreadable(const QString& name, const QString& reason)
{
    return QString::fromUtf8("No se pudo cargar la imagen \"%1\": %2.")
        .arg(name, reason);
}

const QString notAPicture = QString::fromUtf8("no es una imagen BMP, JPEG o GIF válida");

QImage gifPicture(int width, int height, int stripes)
{
    return palettePicture(width, height, {qRgb(10, 20, 30), qRgb(200, 40, 90), qRgb(60, 220, 120)},
                          [=](int x, int y) { return (x * stripes / width + y) % 3; });
}

class Loading : public LoadedForm1Test {
protected:
    void SetUp() override
    {
        form1->show();
        // Every maximum the progress bar takes while it changes, as the user would see it move.
        QObject::connect(form1->ProgressBar1->findChild<QProgressBar*>(), &QProgressBar::valueChanged,
                         [this] { maxima.append(form1->ProgressBar1->max()); });
    }

    QStringList selectorEntries()
    {
        QStringList entries;
        for (int i = 0; i < form1->co->listCount(); ++i)
            entries.append(form1->co->itemText(i));
        return entries;
    }

    void expectUnloaded()
    {
        EXPECT_EQ(enabledControls(*form1), nothingLoaded);
        EXPECT_EQ(form1->co->listCount(), 0);
        EXPECT_EQ(form1->ImageList1.count(), 0);
        EXPECT_FALSE(form1->Picture1->hasPicture());
        EXPECT_EQ(form1->ProgressBar1->value(), 1);
        EXPECT_EQ(form1->ProgressBar1->min(), 1);
        EXPECT_EQ(form1->ProgressBar1->max(), 10);
    }

    // Drops urls on the main window as a file manager does; whether it took them. They load after.
    bool drop(const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent dropped(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form1.get(), &enter);
        QApplication::sendEvent(form1.get(), &dropped);
        QCoreApplication::processEvents();
        return enter.isAccepted() && dropped.isAccepted();
    }

    // Two pictures in two folders, which the dialog could not give together.
    const QStringList twoFolders = {folder.write("una/a.bmp", bmp24(variedPicture(430, 503, 23))),
                                    folder.write("otra/b.gif", gif({gifPicture(430, 503, 4)}))};

    QList<double> maxima;
};

TEST_F(Loading, OneFileIsListedUnderItsNameWithoutTheFolderAndShown)
{
    const QString path = folder.write("cara.jpg", jpeg(variedPicture(430, 503, 1)));
    loadFiles({path});

    EXPECT_EQ(selectorEntries(), QStringList{"1:cara.jpg"});
    ASSERT_EQ(form1->ImageList1.count(), 1);
    EXPECT_EQ(form1->ImageList1.item(1).key, "cara.jpg");
    EXPECT_EQ(form1->co->listIndex(), 0);
    EXPECT_TRUE(samePixels(form1->Picture1->picture(), readPictureFile(QFile::encodeName(path).toStdString()).image));
    EXPECT_EQ(form1->numImgs, 1);
    EXPECT_EQ(enabledControls(*form1), picturesLoaded);
    EXPECT_TRUE(maxima.contains(10));
    EXPECT_EQ(form1->ProgressBar1->value(), 1);
    EXPECT_EQ(form1->ProgressBar1->max(), 10);
    EXPECT_TRUE(messages.shown().isEmpty());
}

TEST_F(Loading, TheDialogAsksForUpToEightPicturesOfTheThreeKinds)
{
    loadFiles({folder.write("a.bmp", bmp24(variedPicture(430, 503, 2)))});
    ASSERT_EQ(dialog.openings().size(), 1u);
    const FileOpenSettings& settings = dialog.openings()[0];
    EXPECT_EQ(settings.title, QString::fromUtf8("Cargar Imágenes"));
    EXPECT_TRUE(settings.allowMultiple);
    EXPECT_EQ(settings.maxNameLength, 3000);
    const QStringList parts = settings.filter.split('|');
    ASSERT_EQ(parts.size(), 8);
    EXPECT_EQ(parts[0], "Todos los archivos compatibles(*.bmp;*.jpg;*.gif)");
    EXPECT_EQ(parts[2], "Mapa de Bits Windows");
    EXPECT_EQ(parts[4], "Mapa de bits JPEG");
    EXPECT_EQ(parts[6], "Archivo GIF");
    EXPECT_EQ(parts[1].split(';'), QStringList({"*.bmp", "*.jpg", "*.jpeg", "*.gif"}));
    EXPECT_EQ(parts[3], "*.bmp");
    EXPECT_EQ(parts[5].split(';'), QStringList({"*.jpg", "*.jpeg"}));
    EXPECT_EQ(parts[7], "*.gif");
}

TEST_F(Loading, EightFilesOfEveryKindAndSizeAreListedInTheDialogsOrder)
{
    const QStringList paths = {
        folder.write("zeta.bmp", bmp24(variedPicture(430, 503, 3))),
        folder.write("alfa.jpg", jpeg(variedPicture(430, 503, 4))),
        folder.write("FOTO.JPG", jpeg(variedPicture(640, 480, 5))),
        folder.write("rayas.gif", gif({gifPicture(430, 503, 7)})),
        folder.write("chica.gif", gif({gifPicture(50, 40, 3)})),
        folder.write("ancha.bmp", bmp24(variedPicture(900, 200, 6))),
        folder.write("foto.jpeg", jpeg(variedPicture(120, 600, 8))),
        folder.write("gris.jpg", jpeg(variedPicture(430, 503, 9), JpegColour::Grey)),
    };
    loadFiles(paths);

    EXPECT_EQ(selectorEntries(), QStringList({"1:zeta.bmp", "2:alfa.jpg", "3:FOTO.JPG", "4:rayas.gif",
                                              "5:chica.gif", "6:ancha.bmp", "7:foto.jpeg", "8:gris.jpg"}));
    ASSERT_EQ(form1->ImageList1.count(), 8);
    for (int i = 1; i <= 8; ++i)
        EXPECT_TRUE(samePixels(form1->ImageList1.item(i).picture, readPictureFile(QFile::encodeName(paths[i - 1]).toStdString()).image)) << i;
    // Only what the picture area can show is kept.
    EXPECT_EQ(form1->ImageList1.item(6).picture.size(), QSize(430, 200));
    EXPECT_EQ(form1->numImgs, 8);
    EXPECT_TRUE(maxima.contains(90));
    EXPECT_EQ(form1->ProgressBar1->max(), 10);
    EXPECT_EQ(enabledControls(*form1), picturesLoaded);
    EXPECT_TRUE(messages.shown().isEmpty());
}

TEST_F(Loading, NineFilesGetTheMessageAndNothingIsLoaded)
{
    load({variedPicture(430, 503, 10), variedPicture(430, 503, 11)});
    ASSERT_EQ(form1->numImgs, 2);
    std::vector<QImage> nine;
    for (unsigned i = 0; i < 9; ++i)
        nine.push_back(solidPicture(430, 503, QColor(int(i) * 20, 0, 0)));
    load(nine);

    EXPECT_EQ(messages.shown(), QStringList{tooManyFiles});
    expectUnloaded();
}

TEST_F(Loading, CancellingTheDialogUnloadsThePreviousSetWithoutAWord)
{
    load({variedPicture(430, 503, 12)});
    dialog.cancel();
    QTest::mouseClick(form1->bCargaImgs, Qt::LeftButton);
    EXPECT_TRUE(messages.shown().isEmpty());
    expectUnloaded();
}

TEST_F(Loading, EightNamesOverTheLongestNameTextGetTheMessage)
{
    load({variedPicture(430, 503, 14)});
    // Eight long names in a deep folder: the file-name text runs past 3000 characters.
    const QString deep = folder.filePath(QStringList(5, QStringLiteral("carpeta").repeated(35)).join('/'));
    QStringList paths;
    for (int i = 1; i <= 8; ++i)
        paths.append(deep + QStringLiteral("/%1_%2.bmp").arg(QStringLiteral("foto").repeated(60)).arg(i));
    ASSERT_GT(fileNameText(paths).size(), 3000);
    loadFiles(paths);
    EXPECT_EQ(messages.shown(), QStringList{tooManyFiles});
    expectUnloaded();
}

TEST_F(Loading, FilesFromTwoFoldersGetTheMessage)
{
    const QStringList paths = {folder.write("una/a.bmp", bmp24(variedPicture(430, 503, 15))),
                               folder.write("otra/b.bmp", bmp24(variedPicture(430, 503, 16)))};
    loadFiles(paths);
    EXPECT_EQ(messages.shown(), QStringList{tooManyFiles});
    expectUnloaded();
}

TEST_F(Loading, AnInvalidFileAmongValidOnesIsNamedAndNothingStays)
{
    const QStringList paths = {
        folder.write("buena.bmp", bmp24(variedPicture(430, 503, 13))),
        folder.write("mala.jpg", QByteArray("esto no es una imagen")),
        folder.write("otra.gif", gif({gifPicture(430, 503, 5)})),
    };
    loadFiles(paths);
    EXPECT_EQ(messages.shown(), QStringList{unreadable("mala.jpg", notAPicture)});
    expectUnloaded();
}

TEST_F(Loading, AMissingFileAndABitmapThatDoesNotDecodeAreNamedToo)
{
    const QString gone = folder.write("borrada.bmp", bmp24(variedPicture(430, 503, 14)));
    ASSERT_TRUE(QFile::remove(gone));
    loadFiles({gone});
    QByteArray cut = bmp24(variedPicture(430, 503, 15));
    cut.truncate(40);
    loadFiles({folder.write("corta.bmp", cut), folder.write("bien.bmp", bmp24(variedPicture(430, 503, 16)))});

    EXPECT_EQ(messages.shown(),
              QStringList({unreadable("borrada.bmp", "el archivo no existe"), unreadable("corta.bmp", notAPicture)}));
    expectUnloaded();
}

TEST_F(Loading, ALoadReplacesTheLoadedSet)
{
    load({variedPicture(430, 503, 17), variedPicture(430, 503, 18), variedPicture(430, 503, 19)});
    const QImage next = variedPicture(430, 503, 20);
    loadFiles({folder.write("nueva.bmp", bmp24(next))});
    EXPECT_EQ(selectorEntries(), QStringList{"1:nueva.bmp"});
    EXPECT_EQ(form1->ImageList1.count(), 1);
    EXPECT_EQ(form1->numImgs, 1);
    EXPECT_TRUE(samePixels(form1->Picture1->picture(), next));
}

TEST_F(Loading, ALoadEmptiesTheSingleKeyList)
{
    load({variedPicture(430, 503, 21)});
    QTest::mouseClick(form1->bUnaSola, Qt::LeftButton);
    ASSERT_EQ(form1->formClaveSola->LClave->listCount(), 1);
    load({variedPicture(430, 503, 22)});
    EXPECT_EQ(form1->formClaveSola->LClave->listCount(), 0);
    EXPECT_TRUE(form1->formClaveSola.isShown());
}

TEST_F(Loading, FilesFromTheCommandLineLoadFromAnyFolderWithTheDialogsChecksAndMessages)
{
    const std::string first = QFile::encodeName(twoFolders[0]).toStdString();
    form1->openFiles({first, QFile::encodeName(twoFolders[1]).toStdString()});
    EXPECT_EQ(selectorEntries(), QStringList({"1:a.bmp", "2:b.gif"}));
    EXPECT_TRUE(samePixels(form1->Picture1->picture(), readPictureFile(QFile::encodeName(twoFolders[0]).toStdString()).image));
    form1->openFiles(std::vector<std::string>(9, first));
    form1->openFiles({first, QFile::encodeName(folder.filePath("falta.jpg")).toStdString()});
    EXPECT_EQ(messages.shown(), QStringList({tooManyFiles, unreadable("falta.jpg", "el archivo no existe")}));
    expectUnloaded();
}

TEST_F(Loading, DroppedFilesLoadLikeChosenOnesButNotDuringAWalkthrough)
{
    ASSERT_TRUE(drop({QUrl::fromLocalFile(twoFolders[0]), QUrl("https://velsaro.org/cara.jpg")}));
    ASSERT_TRUE(drop(QList<QUrl>(9, QUrl::fromLocalFile(twoFolders[0]))));
    ASSERT_TRUE(drop({QUrl::fromLocalFile(twoFolders[0]), QUrl::fromLocalFile(twoFolders[1])}));
    EXPECT_EQ(messages.shown(), QStringList({unreadable("https://velsaro.org/cara.jpg", "no es un archivo de este equipo"),
                                             tooManyFiles}));
    EXPECT_EQ(selectorEntries(), QStringList({"1:a.bmp", "2:b.gif"}));
    QTest::mouseClick(form1->bPaso, Qt::LeftButton);
    EXPECT_FALSE(drop({QUrl::fromLocalFile(twoFolders[1])}));
    EXPECT_TRUE(form1->modoPaso);
}

} // namespace
} // namespace velsaro::testing
