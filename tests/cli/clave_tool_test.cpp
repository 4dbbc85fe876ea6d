// velsaro-clave as a user runs it: the real executable on generated picture files.
#include "tests/cli/clave_process.h"
#include "tests/support/picture_files.h"
#include "tests/support/user_without_rights.h"

#include "picture/drawing_area.h"
#include "picture/picture_file.h"
#include "engine/geometry.h"
#include "engine/key_distance.h"
#include "engine/key_engine.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

namespace velsaro {
namespace {

using namespace velsaro::testing;

// One colour over the whole mesh (or no picture under any mask) gives every level the same codes.
std::string repeated(const std::string& part, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}
const std::string flatColourKey = repeated("244.224.233.148.0.41.151.7.47.", 3);
const std::string blackKey = repeated("0.", 27);

const QColor teal(20, 140, 150);
const std::vector<QRgb> blackAndTeal = {qRgb(0, 0, 0), teal.rgb()};

std::string path(const QString& file)
{
    return QFile::encodeName(file).toStdString();
}

std::string keyLine(const std::string& key, const std::string& file)
{
    return key + "  " + file + "\n";
}

std::string errorLine(const std::string& file, const std::string& reason)
{
    return "velsaro-clave: " + file + ": " + reason + "\n";
}

QImage flatIndexed(int width, int height, int index)
{
    return palettePicture(width, height, blackAndTeal, [=](int, int) { return index; });
}

class ClaveToolTest : public ::testing::Test {
protected:
    std::string write(const QString& name, const QByteArray& bytes) { return path(folder_.write(name, bytes)); }

    // Pictures of the same varied content in the three formats, each keyed differently.
    std::vector<std::string> variedBatch(const QString& subfolder, int count)
    {
        std::vector<std::string> files;
        for (int i = 0; i < count; ++i) {
            const QImage picture = variedPicture(drawingAreaWidth, drawingAreaHeight, unsigned(i));
            const QString name = subfolder + QString("/picture%1").arg(i, 2, 10, QChar('0'));
            if (i % 3 == 0)
                files.push_back(write(name + ".bmp", bmp24(picture)));
            else if (i % 3 == 1)
                files.push_back(write(name + ".jpg", jpeg(picture)));
            else
                files.push_back(write(name + ".gif", gif({picture.convertToFormat(QImage::Format_Indexed8)})));
        }
        return files;
    }

    TemporaryFolder folder_;
};

// ---- Keys ----

TEST_F(ClaveToolTest, PrintsOneKeyLinePerPictureInArgumentOrder)
{
    const std::string gifFile = write("teal.gif", gif({flatIndexed(430, 503, 1)}));
    const std::string bmpFile = write("teal.bmp", bmp24(solidPicture(430, 503, teal)));
    const std::string jpegFile = write("teal.jpg", jpeg(solidPicture(430, 503, teal)));
    const std::string blackFile = write("black.bmp", bmp8(flatIndexed(430, 503, 0)));

    const ClaveRun run = runClave({gifFile, blackFile, bmpFile, jpegFile});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, keyLine(flatColourKey, gifFile) + keyLine(blackKey, blackFile) +
                           keyLine(flatColourKey, bmpFile) + keyLine(flatColourKey, jpegFile));
    EXPECT_EQ(run.err, "");
}

TEST_F(ClaveToolTest, KeysPictureSmallerThanTheFirstMaskAsTheBackground)
{
    const std::string file = write("small.bmp", bmp24(solidPicture(99, 118, Qt::black)));
    EXPECT_EQ(runClave({file}).out, keyLine(flatColourKey, file));
}

TEST_F(ClaveToolTest, KeysTransparentGifPixelsAsTheGreyBackground)
{
    const QImage black = flatIndexed(430, 503, 0);
    const std::string opaqueFile = write("opaque.gif", gif({black}));
    const std::string transparentFile = write("transparent.gif", gif({black}, 0));

    const ClaveRun run = runClave({opaqueFile, transparentFile});

    EXPECT_EQ(run.out, keyLine(blackKey, opaqueFile) + keyLine(flatColourKey, transparentFile));
}

TEST_F(ClaveToolTest, KeysFirstFrameOfAnimatedGif)
{
    const QImage black = flatIndexed(430, 503, 0);
    const QImage teal = flatIndexed(430, 503, 1);
    const std::string blackFirst = write("black-first.gif", gif({black, teal}));
    const std::string tealFirst = write("teal-first.gif", gif({teal, black}));

    const ClaveRun run = runClave({blackFirst, tealFirst});

    EXPECT_EQ(run.out, keyLine(blackKey, blackFirst) + keyLine(flatColourKey, tealFirst));
}

// A key of black means the fourth byte was not taken as alpha (transparent pixels would show grey).
TEST_F(ClaveToolTest, KeysPlain32BitBitmapAsOpaque)
{
    const QImage black = solidPicture(430, 503, Qt::black);
    QByteArray withAlphaMaskField = bmp32Bitfields(solidPicture(430, 503, QColor(0, 0, 0, 0)),
                                                   BitfieldsHeader::V5);
    withAlphaMaskField[30] = 0; // BI_RGB: the masks and the fourth byte mean nothing
    const std::string plain = write("plain.bmp", bmp32Rgb(black, 0));
    const std::string v5 = write("v5.bmp", withAlphaMaskField);
    const std::string transparent =
        write("alpha.bmp", bmp32Bitfields(solidPicture(430, 503, QColor(0, 0, 0, 0)), BitfieldsHeader::V5));

    const ClaveRun run = runClave({plain, v5, transparent});

    EXPECT_EQ(run.out, keyLine(blackKey, plain) + keyLine(blackKey, v5) + keyLine(flatColourKey, transparent));
}

TEST_F(ClaveToolTest, KeysVariedPicturesAsTheEngineDoes)
{
    const std::vector<std::string> files = variedBatch("varied", 3);
    std::string expected;
    for (const std::string& file : files) {
        const DrawingArea area(readPictureFile(file).image);
        expected += keyLine(computeKey([&](int x, int y) { return area.point(x, y); }).text, file);
    }

    const ClaveRun run = runClave(files);

    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.out.find(flatColourKey), std::string::npos);
}

// ---- Folders ----

// "C.C.....C." back to its 27 codes.
KeyCodes codesOfKeyText(const std::string& text)
{
    KeyCodes codes{};
    std::size_t at = 0;
    for (auto& code : codes) {
        const std::size_t dot = text.find('.', at);
        code = std::uint8_t(std::stoi(text.substr(at, dot - at)));
        at = dot + 1;
    }
    return codes;
}

// A picture and copies of it at 90 % and 50 % read almost alike once each is fitted whole.
TEST_F(ClaveToolTest, KeysResizedCopiesAlikeWhenEachIsFittedWhole)
{
    const QImage picture = variedPicture(1200, 900, 21);
    const auto resized = [&](double factor) {
        return picture.scaled(int(1200 * factor), int(900 * factor), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const std::vector<std::string> files = {write("whole.bmp", bmp24(picture)), write("r90.bmp", bmp24(resized(0.9))),
                                            write("r50.jpg", jpeg(resized(0.5), JpegColour::Colour, 95))};
    const auto keysOf = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), files.begin(), files.end());
        const ClaveRun run = runClave(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::vector<KeyCodes> keys;
        for (const std::string& line : linesOf(run.out))
            keys.push_back(codesOfKeyText(line.substr(0, line.find(' '))));
        return keys;
    };
    const std::vector<KeyCodes> fitted = keysOf({"--fit"});
    ASSERT_EQ(fitted.size(), 3u);
    for (std::size_t copy = 1; copy < 3; ++copy)
        EXPECT_LE(keyDistance(packedKey(fitted[0]), packedKey(fitted[copy])), 8) << files[copy];
}

TEST_F(ClaveToolTest, WalksFolderForPictureExtensionsInAnyCaseSortedByPath)
{
    const QByteArray teal = bmp24(solidPicture(430, 503, ::velsaro::teal));
    write("pictures/b.JpEg", jpeg(solidPicture(430, 503, ::velsaro::teal)));
    write("pictures/A.BMP", teal);
    write("pictures/sub/c.gif", gif({flatIndexed(430, 503, 0)}));
    write("pictures/sub/deeper/d.Jpg", jpeg(solidPicture(430, 503, Qt::black)));
    write("pictures/notes.txt", teal);
    write("pictures/other.png", teal);
    write("pictures/bmp", teal);
    const std::string folder = path(folder_.filePath("pictures"));

    const ClaveRun run = runClave({folder + "/"});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, keyLine(flatColourKey, folder + "/A.BMP") + keyLine(flatColourKey, folder + "/b.JpEg") +
                           keyLine(blackKey, folder + "/sub/c.gif") +
                           keyLine(blackKey, folder + "/sub/deeper/d.Jpg"));
}

TEST_F(ClaveToolTest, JoinsFolderArgumentAndEntryWithOneSlash)
{
    const std::string file = write("album/one.gif", gif({flatIndexed(20, 20, 1)}));
    const std::string folder = path(folder_.filePath("album"));
    EXPECT_EQ(runClave({folder}).out, keyLine(flatColourKey, folder + "/one.gif"));
    EXPECT_EQ(file, folder + "/one.gif");
}

// ---- Bad input ----

TEST_F(ClaveToolTest, ReportsEachBadInputOnOneLineAndKeysTheRest)
{
    const QByteArray whole = jpeg(variedPicture(430, 503, 4));
    const std::string good1 = write("good1.bmp", bmp24(solidPicture(430, 503, teal)));
    const std::string good2 = write("good2.gif", gif({flatIndexed(430, 503, 0)}));
    const std::string missing = path(folder_.filePath("missing.jpg"));
    const std::string empty = write("empty.gif", {});
    const std::string cut = write("cut.jpg", whole.left(whole.size() / 2));
    const std::string corrupt = write("corrupt.bmp", QByteArray("BM") + QByteArray(200, '\x7F'));
    const std::string text = write("text.gif", "no es una imagen\n");
    const std::string png = write("png.jpg", [] {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        solidPicture(10, 10, teal).save(&buffer, "png");
        return bytes;
    }());
    // A GIF's frame is decoded over its whole logical screen: 16000 x 16000 is over 512 MiB.
    QByteArray huge = gif({palettePicture(4, 4, blackAndTeal, [](int x, int) { return x % 2; })});
    huge[7] = huge[9] = char(0x3E);
    huge[6] = huge[8] = char(0x80);
    const std::string tooLarge = write("huge.gif", huge);
    const std::string noPictures = path(folder_.makeFolder("nothing-here"));
    write("nothing-here/readme.txt", "texto");
    const std::string pipe = path(folder_.filePath("pipe.bmp"));
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);

    const ClaveRun run =
        runClave({good1, missing, empty, cut, corrupt, text, png, tooLarge, noPictures, pipe, good2});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, keyLine(flatColourKey, good1) + keyLine(blackKey, good2));
    const std::string notAPicture = "no es una imagen BMP, JPEG o GIF válida";
    EXPECT_EQ(run.err, errorLine(missing, "el archivo no existe") + errorLine(empty, notAPicture) +
                           errorLine(cut, notAPicture) + errorLine(corrupt, notAPicture) +
                           errorLine(text, notAPicture) + errorLine(png, notAPicture) +
                           errorLine(tooLarge, "la imagen es demasiado grande (más de 512 MiB al decodificarla)") +
                           errorLine(noPictures, "la carpeta no contiene imágenes BMP, JPEG o GIF") +
                           errorLine(pipe, "no se puede leer"));
}

TEST_F(ClaveToolTest, ReportsBadPictureInsideFolderAndKeysItsNeighbours)
{
    write("mixed/a.bmp", bmp24(solidPicture(430, 503, teal)));
    write("mixed/b.jpg", "\xFF\xD8\xFF\xE0 not really");
    write("mixed/c.gif", gif({flatIndexed(430, 503, 0)}));
    const std::string folder = path(folder_.filePath("mixed"));

    const ClaveRun run = runClave({folder});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, keyLine(flatColourKey, folder + "/a.bmp") + keyLine(blackKey, folder + "/c.gif"));
    EXPECT_EQ(run.err, errorLine(folder + "/b.jpg", "no es una imagen BMP, JPEG o GIF válida"));
}

// What a user is likely to give besides the cases above: cut GIF and bitmap files, a text saved as .jpg,
// a header claiming 60000 x 60000 pixels without their data, a link that leads nowhere, a folder named like a picture,
// and files that are good although their names hold blanks and letters beyond ASCII or they are
// read-only.
TEST_F(ClaveToolTest, ReportsTheOtherBadInputsAndKeysUnusualNamesAndReadOnlyFiles)
{
    const QImage stripes = palettePicture(430, 503, blackAndTeal, [](int x, int y) { return (x / 9 + y / 4) % 2; });
    const QByteArray wholeGif = gif({stripes});
    const QByteArray wholeBitmap = bmp24(variedPicture(430, 503, 5));
    QByteArray huge = bmp24(solidPicture(4, 4, teal));
    for (int at : {18, 22}) { // width and height: 60000, four bytes each
        huge[at] = char(0x60);
        huge[at + 1] = char(0xEA);
    }
    const std::string cutGif = write("cortada.gif", wholeGif.left(wholeGif.size() / 2));
    const std::string cutBitmap = write("cortada.bmp", wholeBitmap.chopped(100));
    const std::string text = write("nota.jpg", "Esto es un texto, no una foto.\n");
    const std::string claiming = write("enorme.bmp", huge);
    const std::string link = path(folder_.filePath("enlace.jpg"));
    ASSERT_TRUE(QFile::link(folder_.filePath("ya-no-existe.jpg"), QFile::decodeName(link.c_str())));
    const std::string namedLikeAPicture = path(folder_.makeFolder("carpeta.jpg"));
    const QImage face = variedPicture(430, 503, 6);
    const std::string unusual = write(QString::fromUtf8("fotos de la señora ñ/cara señora ñ.jpg"), jpeg(face));
    const std::string readOnly = write("solo-lectura.bmp", bmp24(face));
    ASSERT_TRUE(QFile::setPermissions(QFile::decodeName(readOnly.c_str()), QFileDevice::ReadOwner));
    const auto keyOf = [](const std::string& file) {
        const DrawingArea area(readPictureFile(file).image);
        return computeKey([&](int x, int y) { return area.point(x, y); }).text;
    };

    const ClaveRun run = runClave({cutGif, unusual, cutBitmap, text, claiming, link, namedLikeAPicture, readOnly});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, keyLine(keyOf(unusual), unusual) + keyLine(keyOf(readOnly), readOnly));
    const std::string notAPicture = "no es una imagen BMP, JPEG o GIF válida";
    EXPECT_EQ(run.err, errorLine(cutGif, notAPicture) + errorLine(cutBitmap, notAPicture) +
                           errorLine(text, notAPicture) + errorLine(claiming, notAPicture) +
                           errorLine(link, "el archivo no existe") +
                           errorLine(namedLikeAPicture, "la carpeta no contiene imágenes BMP, JPEG o GIF"));
}

TEST_F(ClaveToolTest, ReportsAFileItsUserMayNotReadAndKeysTheRest)
{
    if (!UserWithoutRights::isPossible())
        GTEST_SKIP() << "this process is root and there is no user \"nobody\" to run the tool as";
    // The folder stays open to everyone, so that only the file's own permissions stop the read.
    QFile::setPermissions(folder_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                              QFileDevice::ReadOther | QFileDevice::ExeOther);
    const std::string locked = write("privada.bmp", bmp24(solidPicture(430, 503, teal)));
    ASSERT_TRUE(QFile::setPermissions(QFile::decodeName(locked.c_str()), QFileDevice::WriteOwner));
    const std::string open = write("publica.gif", gif({flatIndexed(430, 503, 0)}));
    QFile::setPermissions(QFile::decodeName(open.c_str()), QFileDevice::ReadOwner | QFileDevice::ReadOther);

    const ClaveRun run = runClaveWithoutRights({locked, open});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, keyLine(blackKey, open));
    EXPECT_EQ(run.err, errorLine(locked, "no se puede leer"));
}

// A folder that cannot be entered is reported where it stands in path order, in JSON too.
TEST_F(ClaveToolTest, ReportsAFolderItsUserMayNotEnterAndKeysTheRest)
{
    if (!UserWithoutRights::isPossible())
        GTEST_SKIP() << "this process is root and there is no user \"nobody\" to run the tool as";
    const auto open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                      QFileDevice::ReadOther | QFileDevice::ExeOther;
    QFile::setPermissions(folder_.path(), open);
    const std::string folder = path(folder_.makeFolder("fotos"));
    QFile::setPermissions(QString::fromStdString(folder), open);
    write("fotos/sub/a.gif", gif({flatIndexed(430, 503, 0)}));
    QFile::setPermissions(QString::fromStdString(folder + "/sub"), {});
    const std::string picture = write("fotos/z.gif", gif({flatIndexed(430, 503, 0)}));
    QFile::setPermissions(QString::fromStdString(picture), open);

    const ClaveRun run = runClaveWithoutRights({"--json", folder});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, errorLine(folder + "/sub", "no se puede leer la carpeta"));
    const QJsonArray pictures = QJsonDocument::fromJson(QByteArray::fromStdString(run.out))["pictures"].toArray();
    ASSERT_EQ(pictures.size(), 2);
    EXPECT_EQ(pictures[0]["error"].toString(), "no se puede leer la carpeta");
    EXPECT_EQ(pictures[1]["key"].toString().toStdString(), blackKey);
}

// ---- Usage ----

TEST_F(ClaveToolTest, RefusesBadCommandLinesWithAHintToHelp)
{
    const std::string file = write("teal.bmp", bmp24(solidPicture(8, 8, teal)));
    const std::vector<std::vector<std::string>> commandLines = {
        {},           {"--json"},         {"--frobnicate", file}, {"-x", file},
        {"-j", file}, {"-j0", file},      {"--jobs", "-3", file}, {"-j", "dos", file},
        {"-j"},       {"--jobs=1x", file}, {"-j", "100000", file},
    };
    for (const auto& arguments : commandLines) {
        const ClaveRun run = runClave(arguments);
        const std::vector<std::string> lines = linesOf(run.err);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].rfind("velsaro-clave: ", 0), 0u) << lines[0];
        EXPECT_EQ(lines[1], "Pruebe «velsaro-clave --help» para más información.");
    }
}

TEST_F(ClaveToolTest, ExplainsUsageOptionsOutputAndExitCodesInHelp)
{
    const ClaveRun run = runClave({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    for (const char* part : {"Uso: velsaro-clave [OPCIONES] RUTA...", "--compare", "--json", "-j N, --jobs N",
                             "--near D", "--matrix", "--catalogue ARCHIVO", "--find", "--merge", "--prune",
                             "Grupo 1 (2 imágenes)", "Estado de salida:", "  2  error", "  3  el catálogo"})
        EXPECT_NE(run.out.find(part), std::string::npos) << part;
}

TEST_F(ClaveToolTest, PrintsThePackageVersion)
{
    const ClaveRun run = runClave({"--version"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, std::string("velsaro-clave ") + VELSARO_VERSION + "\n");
}

TEST_F(ClaveToolTest, TakesArgumentsAfterDoubleDashAsPaths)
{
    write("-j", bmp24(solidPicture(8, 8, teal)));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder_.path());
    const ClaveRun run = runClave({"--", "-j"});
    QDir::setCurrent(previous);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, keyLine(flatColourKey, "-j"));
}

// ---- --compare ----

TEST_F(ClaveToolTest, GroupsPicturesByKeyInOrderOfFirstAppearance)
{
    const std::string black1 = write("black1.bmp", bmp24(solidPicture(430, 503, Qt::black)));
    const std::string teal1 = write("teal1.gif", gif({flatIndexed(430, 503, 1)}));
    const std::string broken = write("broken.jpg", "nada");
    const std::string teal2 = write("teal2.bmp", bmp24(solidPicture(430, 503, teal)));
    const std::string black2 = write("black2.gif", gif({flatIndexed(430, 503, 0)}));
    const std::string varied = variedBatch("one", 1)[0];

    const ClaveRun run = runClave({"--compare", black1, teal1, broken, teal2, black2, varied});

    const std::string variedKey = linesOf(run.out)[4].substr(0, linesOf(run.out)[4].find("  "));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, keyLine(blackKey, black1) + keyLine(flatColourKey, teal1) +
                           keyLine(flatColourKey, teal2) + keyLine(blackKey, black2) +
                           keyLine(variedKey, varied) + "\n" +
                           "Grupo 1 (2 imágenes): " + blackKey + "\n  " + black1 + "\n  " + black2 + "\n" +
                           "Grupo 2 (2 imágenes): " + flatColourKey + "\n  " + teal1 + "\n  " + teal2 + "\n" +
                           "Grupo 3 (1 imagen): " + variedKey + "\n  " + varied + "\n");
}

// The group lines of a --compare output: "Grupo" headings and the members' lines.
std::vector<std::string> groupLines(const std::string& out)
{
    std::vector<std::string> lines;
    for (const std::string& line : linesOf(out))
        if (line.starts_with("Grupo") || line.starts_with("  "))
            lines.push_back(line);
    return lines;
}

TEST_F(ClaveToolTest, GroupsAResizedCopyWithItsOriginalAndShowsHowCloselyTheyAgree)
{
    const QImage picture = variedPicture(1200, 900, 31);
    const std::string original = write("a.bmp", bmp24(picture));
    const std::string half = write("b.jpg", jpeg(picture.scaled(600, 450, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    const std::string other = write("c.bmp", bmp24(variedPicture(1200, 900, 32)));

    const ClaveRun run = runClave({"--fit", "--compare", "--near", "32", original, half, other});

    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = groupLines(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_TRUE(lines[0].starts_with("Grupo 1 (2 imágenes): ")) << lines[0];
    EXPECT_EQ(lines[1], "    0   0  1.000  " + original);
    // Key distance, hash distance and grey correlation of the copy to the first picture.
    unsigned keyBits = 99, hashBits = 99;
    double correlation = 0;
    char path[512] = {};
    ASSERT_EQ(std::sscanf(lines[2].c_str(), " %u %u %lf %511s", &keyBits, &hashBits, &correlation, path), 4) << lines[2];
    EXPECT_EQ(path, half);
    EXPECT_LE(hashBits, 8u);
    EXPECT_GE(correlation, 0.99);
    EXPECT_TRUE(lines[3].starts_with("Grupo 2 (1 imagen): ")) << lines[3];
}

// The key reads only the masks around the mesh's nine intersections: an unrelated picture given the
// first's pixels there gets its key, but not its fingerprint.
TEST_F(ClaveToolTest, RefusesAnUnrelatedPictureWithTheSameKeyAsANearCopy)
{
    const QImage first = variedPicture(drawingAreaWidth, drawingAreaHeight, 41);
    QImage unrelated = variedPicture(drawingAreaWidth, drawingAreaHeight, 42);
    const MeshGeometry mesh = meshGeometry(pictureAreaWidth, pictureAreaHeight, largestMaskSize);
    for (int j = 0; j < 9; ++j) {
        const QRect around(mesh.maskCorner(j).x - 24, mesh.maskCorner(j).y - 24, 64, 64);
        for (int y = around.top(); y <= around.bottom(); ++y)
            for (int x = around.left(); x <= around.right(); ++x)
                if (first.rect().contains(x, y))
                    unrelated.setPixel(x, y, first.pixel(x, y));
    }
    const std::string a = write("a.bmp", bmp24(first));
    const std::string b = write("b.bmp", bmp24(unrelated));

    const std::vector<std::string> keys = linesOf(runClave({a, b}).out);
    ASSERT_EQ(keys.size(), 2u);
    ASSERT_EQ(keys[0].substr(0, keys[0].find(' ')), keys[1].substr(0, keys[1].find(' ')));
    EXPECT_EQ(groupLines(runClave({"--compare", a, b}).out).size(), 3u);
    EXPECT_EQ(groupLines(runClave({"--compare", "--near", "32", a, b}).out).size(), 4u);
}

// ---- --json ----

QJsonObject parsedDocument(const std::string& text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << text;
    return document.object();
}

TEST_F(ClaveToolTest, WritesKeysLevelsAndErrorsAsOneJsonDocument)
{
    const std::string varied = variedBatch("json", 1)[0];
    const std::string missing = path(folder_.filePath("missing.gif"));
    const DrawingArea area(readPictureFile(varied).image);
    const Key expected = computeKey([&](int x, int y) { return area.point(x, y); });

    const ClaveRun run = runClave({"--json", varied, missing});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, errorLine(missing, "el archivo no existe"));
    const QJsonObject document = parsedDocument(run.out);
    EXPECT_FALSE(document.contains("groups"));
    const QJsonArray pictures = document["pictures"].toArray();
    ASSERT_EQ(pictures.size(), 2);
    const QJsonObject keyed = pictures[0].toObject();
    EXPECT_EQ(keyed.keys(), QStringList({"codes", "key", "levels", "path"}));
    EXPECT_EQ(keyed["path"].toString().toStdString(), varied);
    EXPECT_EQ(keyed["key"].toString().toStdString(), expected.text);
    const QJsonArray codes = keyed["codes"].toArray();
    ASSERT_EQ(codes.size(), 27);
    for (int i = 0; i < 27; ++i)
        EXPECT_EQ(codes[i].toInt(), expected.codes()[i]);
    const QJsonArray levels = keyed["levels"].toArray();
    ASSERT_EQ(levels.size(), 3);
    for (int l = 0; l < 3; ++l) {
        const QJsonObject level = levels[l].toObject();
        const LevelResult& want = expected.levels[l];
        EXPECT_EQ(level.keys(), QStringList({"N", "codes", "matrizP"}));
        EXPECT_EQ(level["N"].toInt(), want.n);
        const QJsonArray p = level["matrizP"].toArray();
        ASSERT_EQ(p.size(), 3);
        for (int r = 0; r < 3; ++r) {
            ASSERT_EQ(p[r].toArray().size(), 3);
            for (int c = 0; c < 3; ++c) // the shortest text still reads back as the very same double
                EXPECT_EQ(p[r].toArray()[c].toDouble(), want.matrizP[r][c]);
        }
        const QJsonArray levelCodes = level["codes"].toArray();
        ASSERT_EQ(levelCodes.size(), 9);
        for (int j = 0; j < 9; ++j)
            EXPECT_EQ(levelCodes[j].toInt(), want.codes[j]);
    }
    const QJsonObject failed = pictures[1].toObject();
    EXPECT_EQ(failed.keys(), QStringList({"error", "path"}));
    EXPECT_EQ(failed["path"].toString().toStdString(), missing);
    EXPECT_EQ(failed["error"].toString(), "el archivo no existe");
}

TEST_F(ClaveToolTest, EscapesPathsInJson)
{
    const std::string odd = write("cara \"ñ\"\t\\ 1\n.gif", gif({flatIndexed(20, 20, 1)}));

    const ClaveRun run = runClave({"--json", "--compare", odd});

    EXPECT_EQ(run.exitCode, 0);
    const QJsonObject document = parsedDocument(run.out);
    EXPECT_EQ(document["pictures"].toArray()[0].toObject()["path"].toString().toStdString(), odd);
    const QJsonArray groups = document["groups"].toArray();
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0].toObject()["key"].toString().toStdString(), flatColourKey);
    EXPECT_EQ(groups[0].toObject()["paths"].toArray()[0].toString().toStdString(), odd);
}

TEST_F(ClaveToolTest, EscapesBackslashAndLineBreakInKeyLines)
{
    const std::string odd = write("a\\b\nc.gif", gif({flatIndexed(20, 20, 1)}));
    const std::string folder = path(folder_.path());

    const ClaveRun run = runClave({odd});

    EXPECT_EQ(run.out, "\\" + flatColourKey + "  " + folder + "/a\\\\b\\nc.gif\n");
}

// ---- Threads and progress ----

TEST_F(ClaveToolTest, GivesTheSameOutputWhateverTheNumberOfJobs)
{
    std::vector<std::string> arguments = variedBatch("batch", 14);
    arguments.insert(arguments.begin() + 3, write("batch/bad.gif", "GIF89a"));
    arguments.push_back(path(folder_.filePath("batch")));
    arguments.insert(arguments.begin(), "--compare");

    std::vector<std::string> single = arguments;
    single.insert(single.begin(), "-j1");
    std::vector<std::string> four = arguments;
    four.insert(four.begin(), "-j4");
    const ClaveRun one = runClave(single);
    const ClaveRun many = runClave(four);

    EXPECT_EQ(one.exitCode, 1);
    // Every picture keyed twice (as a file and in the folder), a blank line, 14 groups of two paths.
    EXPECT_EQ(linesOf(one.out).size(), 2u * 14 + 1 + 14 * 3);
    EXPECT_EQ(many.exitCode, one.exitCode);
    EXPECT_EQ(many.out, one.out);
    EXPECT_EQ(many.err, one.err);
}

TEST_F(ClaveToolTest, ShowsNoProgressWhenErrorsGoToAPipe)
{
    const std::vector<std::string> files = variedBatch("quiet", 5);
    const ClaveRun run = runClave(files, ErrorStream::Pipe);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(linesOf(run.out).size(), 5u);
    EXPECT_EQ(run.err, "");
}

TEST_F(ClaveToolTest, ShowsAndErasesProgressOnATerminal)
{
    const std::vector<std::string> files = variedBatch("loud", 5);

    const ClaveRun run = runClave(files, ErrorStream::Terminal);

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(linesOf(run.out).size(), 5u);
    EXPECT_NE(run.err.find("\rvelsaro-clave: 0/5 imágenes"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\rvelsaro-clave: 5/5 imágenes, "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(" imágenes/s"), std::string::npos);
    EXPECT_EQ(run.err.find('\n'), std::string::npos);
    // Erased at the end: the last line shown is covered with blanks and the cursor put back.
    ASSERT_EQ(run.err.back(), '\r');
    const std::size_t blanksStart = run.err.rfind('\r', run.err.size() - 2) + 1;
    const std::string blanks = run.err.substr(blanksStart, run.err.size() - 1 - blanksStart);
    const std::size_t lastShown = run.err.rfind('\r', blanksStart - 2) + 1;
    const QString lastText = QString::fromStdString(run.err.substr(lastShown, blanksStart - 1 - lastShown));
    EXPECT_TRUE(lastText.startsWith("velsaro-clave: 5/5")) << lastText.toStdString();
    EXPECT_EQ(blanks, std::string(std::size_t(lastText.size()), ' '));
}

TEST_F(ClaveToolTest, ShowsNoProgressForThreePicturesEvenOnATerminal)
{
    const ClaveRun run = runClave(variedBatch("few", 3), ErrorStream::Terminal);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
}

} // namespace
} // namespace velsaro
