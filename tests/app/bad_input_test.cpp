// Files "Cargar Imagen" must refuse, or must take although their names or permissions are unusual.
// Every refusal names the file in one message and leaves the window as "Descargar" does (a load
// always starts by unloading the set before it); the next load then works as on a fresh start.
#include "tests/app/loaded_form1.h"

#include "controls/flex_grid.h"
#include "controls/picture_box.h"
#include "picture/picture_file.h"
#include "tests/support/user_without_rights.h"
#include "windows/form2.h"
#include "windows/form_clave_sola.h"

#include <QFile>

namespace velsaro::testing {
namespace {

QString unreadable(const QString& name, const QString& reason)
{
    return QString::fromUtf8("No se pudo cargar la imagen \"%1\": %2.")
        .arg(name, reason);
}

const QString notAPicture = QString::fromUtf8("no es una imagen BMP, JPEG o GIF válida");

// The user's choice, with one file deleted once the dialog has returned and before the load reads it,
// as another program might do in between.
class DialogThenRemoval : public FileOpenDialog {
public:
    ScriptedFileOpenDialog script;
    QString removeAfterChoice;

    FileOpenResult open(const FileOpenSettings& settings) override
    {
        const FileOpenResult result = script.open(settings);
        if (!removeAfterChoice.isEmpty())
            QFile::remove(removeAfterChoice);
        removeAfterChoice.clear();
        return result;
    }
};

class BadInput : public ::testing::Test {
protected:
    DialogThenRemoval dialog;
    RecordingMessageBox messages;
    std::unique_ptr<Form1Access> form1 = std::make_unique<Form1Access>(dialog, messages);
    TemporaryFolder folder;
    std::vector<QImage> goodPictures = {variedPicture(430, 503, 41), variedPicture(430, 503, 42)};

    void SetUp() override { form1->show(); }

    void TearDown() override
    {
        form1.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void load(const QStringList& paths)
    {
        dialog.script.choose(paths);
        QTest::mouseClick(form1->bCargaImgs, Qt::LeftButton);
    }

    QStringList goodFiles()
    {
        return {folder.write("buena1.bmp", bmp24(goodPictures[0])), folder.write("buena2.bmp", bmp24(goodPictures[1]))};
    }

    // A set loaded and compared before the bad load, which goes with it as every load starts afresh.
    void loadAndCompareGoodSet()
    {
        load(goodFiles());
        ASSERT_EQ(form1->numImgs, 2);
        QTest::mouseClick(form1->bTodas, Qt::LeftButton);
        ASSERT_EQ(form1->form2->GridClaves->textAt(2, 0), engineKey(goodPictures[1]));
    }

    // The one message names the file; nothing of either set stays; a good load and its keys follow.
    void expectRefusedThenUsable(const QString& name, const QString& reason = notAPicture)
    {
        EXPECT_EQ(messages.shown(), QStringList{unreadable(name, reason)});
        EXPECT_EQ(enabledControls(*form1), nothingLoaded);
        EXPECT_EQ(form1->ImageList1.count(), 0);
        EXPECT_EQ(form1->co->listCount(), 0);
        EXPECT_FALSE(form1->Picture1->hasPicture());
        EXPECT_EQ(form1->form2->GridClaves->textAt(1, 0), QString());

        load(goodFiles());
        ASSERT_EQ(enabledControls(*form1), picturesLoaded);
        QTest::mouseClick(form1->bTodas, Qt::LeftButton);
        EXPECT_EQ(form1->form2->GridClaves->textAt(1, 0), engineKey(goodPictures[0]));
        EXPECT_EQ(form1->form2->GridClaves->textAt(2, 0), engineKey(goodPictures[1]));
        EXPECT_EQ(messages.shown().size(), 1);
    }

    // The bad file alone, and then between two good ones.
    void expectRefusedAloneAndAmongGoodOnes(const QString& path, const QString& name,
                                            const QString& reason = notAPicture)
    {
        loadAndCompareGoodSet();
        load({path});
        expectRefusedThenUsable(name, reason);

        messages = RecordingMessageBox();
        const QStringList good = goodFiles();
        load({good[0], path, good[1]});
        expectRefusedThenUsable(name, reason);
    }
};

TEST_F(BadInput, ZeroByteFileIsNamed)
{
    expectRefusedAloneAndAmongGoodOnes(folder.write("vacía.jpg", QByteArray()), QString::fromUtf8("vacía.jpg"));
}

TEST_F(BadInput, TruncatedJpegIsNamed)
{
    const QByteArray whole = jpeg(variedPicture(430, 503, 43));
    expectRefusedAloneAndAmongGoodOnes(folder.write("cortada.jpg", whole.left(whole.size() / 2)), "cortada.jpg");
}

TEST_F(BadInput, TruncatedGifIsNamed)
{
    const QImage stripes = palettePicture(430, 503, {qRgb(0, 0, 0), qRgb(250, 30, 30)},
                                          [](int x, int y) { return (x / 9 + y / 4) % 2; });
    const QByteArray whole = gif({stripes});
    expectRefusedAloneAndAmongGoodOnes(folder.write("cortada.gif", whole.left(whole.size() / 2)), "cortada.gif");
}

TEST_F(BadInput, TruncatedBitmapIsNamed)
{
    const QByteArray whole = bmp24(variedPicture(430, 503, 44));
    expectRefusedAloneAndAmongGoodOnes(folder.write("cortada.bmp", whole.chopped(100)), "cortada.bmp");
}

TEST_F(BadInput, TextFileNamedJpgIsNamed)
{
    expectRefusedAloneAndAmongGoodOnes(folder.write("nota.jpg", "Esto es un texto, no una foto.\n"), "nota.jpg");
}

// A GIF's frame is decoded over its whole logical screen: 60000 x 60000 would take 13 GiB. The message
// says that it is the size that stops it.
TEST_F(BadInput, GifTooLargeToDecodeIsNamedWithItsReason)
{
    QByteArray bytes = gif({palettePicture(16, 16, {qRgb(0, 0, 0), qRgb(250, 30, 30)},
                                           [](int x, int y) { return (x + y) % 2; })});
    for (int at : {6, 8}) {
        bytes[at] = char(60000 & 0xFF);
        bytes[at + 1] = char(60000 >> 8);
    }
    expectRefusedAloneAndAmongGoodOnes(folder.write("enorme.gif", bytes), "enorme.gif",
                                       "la imagen es demasiado grande (más de 512 MiB al decodificarla)");
}

TEST_F(BadInput, FolderChosenAsAPictureIsNamed)
{
    expectRefusedAloneAndAmongGoodOnes(folder.makeFolder("carpeta.jpg"), "carpeta.jpg", "no se puede leer");
}

TEST_F(BadInput, BrokenLinkChosenAsAPictureIsNamed)
{
    const QString link = folder.filePath("enlace.gif");
    ASSERT_TRUE(QFile::link(folder.filePath("ya-no-existe.gif"), link));
    expectRefusedAloneAndAmongGoodOnes(link, "enlace.gif", "el archivo no existe");
}

TEST_F(BadInput, FileRemovedBetweenChoosingAndLoadingIsNamed)
{
    loadAndCompareGoodSet();
    const QString path = folder.write("efímera.bmp", bmp24(variedPicture(430, 503, 45)));
    dialog.removeAfterChoice = path;
    const QStringList good = goodFiles();
    load({good[0], path, good[1]});
    ASSERT_FALSE(QFile::exists(path));
    expectRefusedThenUsable(QString::fromUtf8("efímera.bmp"), "el archivo no existe");
}

TEST_F(BadInput, FileItsUserMayNotReadIsNamed)
{
    if (!UserWithoutRights::isPossible())
        GTEST_SKIP() << "this process is root and there is no user \"nobody\" to read as";
    loadAndCompareGoodSet();
    // The folder stays open to everyone, so that only the file's own permissions stop the read.
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                             QFileDevice::ReadOther | QFileDevice::ExeOther);
    const QString path = folder.write("privada.bmp", bmp24(variedPicture(430, 503, 46)));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    const QStringList good = goodFiles();
    for (const QString& file : good)
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadOther);
    {
        const UserWithoutRights user;
        load({good[0], path, good[1]});
    }
    expectRefusedThenUsable("privada.bmp", "no se puede leer");
}

TEST_F(BadInput, ReadOnlyFileLoadsAsAnyOther)
{
    const QImage picture = variedPicture(430, 503, 47);
    const QString path = folder.write("solo-lectura.bmp", bmp24(picture));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    load({path});
    ASSERT_EQ(enabledControls(*form1), picturesLoaded);
    QTest::mouseClick(form1->bUnaSola, Qt::LeftButton);
    EXPECT_EQ(form1->formClaveSola->LClave->itemText(0), engineKey(picture));
    EXPECT_TRUE(messages.shown().isEmpty());
}

// Names are taken whole from the dialog: blanks and letters beyond ASCII, in the file and its folder.
TEST_F(BadInput, NamesWithBlanksAndNonAsciiLettersLoadAndKeyAsAnyOther)
{
    const QImage first = variedPicture(430, 503, 48);
    const QImage second = variedPicture(430, 503, 49);
    const QString alone = folder.write(QString::fromUtf8("cara señora ñ.jpg"), jpeg(first));
    load({alone});
    ASSERT_EQ(form1->co->itemText(0), QString::fromUtf8("1:cara señora ñ.jpg"));
    QTest::mouseClick(form1->bUnaSola, Qt::LeftButton);
    EXPECT_EQ(form1->formClaveSola->LClave->itemText(0), engineKey(readPictureFile(QFile::encodeName(alone).toStdString()).image));

    const QString fotos = QString::fromUtf8("fotos de la señora ñ/");
    load({folder.write(fotos + QString::fromUtf8("cara señora ñ.jpg"), jpeg(first)),
          folder.write(fotos + QString::fromUtf8("niño ü 2.bmp"), bmp24(second))});
    ASSERT_EQ(form1->co->listCount(), 2);
    EXPECT_EQ(form1->co->itemText(0), QString::fromUtf8("1:cara señora ñ.jpg"));
    EXPECT_EQ(form1->co->itemText(1), QString::fromUtf8("2:niño ü 2.bmp"));
    QTest::mouseClick(form1->bTodas, Qt::LeftButton);
    EXPECT_EQ(form1->form2->GridClaves->textAt(1, 0), engineKey(readPictureFile(QFile::encodeName(alone).toStdString()).image));
    EXPECT_EQ(form1->form2->GridClaves->textAt(2, 0), engineKey(second));
    EXPECT_TRUE(messages.shown().isEmpty());
}

} // namespace
} // namespace velsaro::testing
