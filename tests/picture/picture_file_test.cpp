// readPictureFile on generated files: which files it accepts, how it decodes them, and how it refuses
// the rest.
#include "picture/bitmap_file.h"
#include "picture/drawing_area.h"
#include "picture/format_reading.h"
#include "picture/picture_file.h"
#include "tests/support/picture_files.h"
#include "tests/support/user_without_rights.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velsaro {
namespace {

using namespace velsaro::testing;

class PictureFileTest : public ::testing::Test {
protected:
    PictureFile read(const QString& name, const QByteArray& bytes) { return readFile(folder_.write(name, bytes)); }
    static PictureFile readFile(const QString& path) { return readPictureFile(QFile::encodeName(path).toStdString()); }

    TemporaryFolder folder_;
};

const QColor coral(240, 110, 80);
const std::vector<QRgb> threeColours = {qRgb(250, 0, 0), qRgb(0, 0, 240), qRgb(20, 200, 30)};

int stripes(int x, int /*y*/)
{
    return x % 3;
}

QByteArray pngOf(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "png");
    return bytes;
}

// A small picture with a different colour and alpha in every corner.
QImage cornersPicture()
{
    QImage picture = solidPicture(6, 4, coral);
    picture.setPixel(0, 0, qRgba(200, 100, 50, 128));
    picture.setPixel(5, 0, qRgba(10, 20, 30, 0));
    picture.setPixel(0, 3, qRgba(1, 2, 3, 255));
    picture.setPixel(5, 3, qRgba(90, 180, 45, 7));
    return picture;
}

void expectOpaqueWithColoursOf(const QImage& read, const QImage& written)
{
    ASSERT_EQ(read.size(), written.size());
    for (int y = 0; y < read.height(); ++y) {
        for (int x = 0; x < read.width(); ++x) {
            const QRgb expected = written.pixel(x, y);
            EXPECT_EQ(read.pixel(x, y), qRgb(qRed(expected), qGreen(expected), qBlue(expected)))
                << "at " << x << ", " << y;
        }
    }
}

void expectSamePixels(const QImage& read, const QImage& written)
{
    ASSERT_EQ(read.size(), written.size());
    const QImage a = read.convertToFormat(QImage::Format_ARGB32);
    const QImage b = written.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            EXPECT_EQ(a.pixel(x, y), b.pixel(x, y)) << "at " << x << ", " << y;
    }
}

// ---- Accepted formats ----

TEST_F(PictureFileTest, RecognisesEachFormatByContentWhateverItsName)
{
    const QImage picture = variedPicture(40, 30, 7);
    const QImage indexed = palettePicture(40, 30, threeColours, stripes);
    const PictureFile bmp = read("bitmap.gif", bmp24(picture));
    const PictureFile gifFile = read("animation.jpg", gif({indexed}));
    const PictureFile jpegFile = read("photo", jpeg(picture));

    EXPECT_EQ(bmp.error, PictureFileError::None);
    expectSamePixels(bmp.image, picture);
    EXPECT_EQ(gifFile.error, PictureFileError::None);
    expectSamePixels(gifFile.image, indexed);
    EXPECT_EQ(jpegFile.error, PictureFileError::None);
    EXPECT_EQ(jpegFile.image.size(), QSize(40, 30));
    EXPECT_TRUE(jpegFile.reason.isEmpty());
}

TEST_F(PictureFileTest, RefusesFormatsQtReadsButTheProgramDoesNot)
{
    const QImage picture = variedPicture(40, 30, 7);
    QByteArray ppm;
    QBuffer buffer(&ppm);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "ppm");

    for (const PictureFile& file : {read("picture.png", pngOf(picture)), read("picture.bmp", ppm)}) {
        EXPECT_EQ(file.error, PictureFileError::NotAPicture);
        EXPECT_EQ(file.reason, "no es una imagen BMP, JPEG o GIF válida");
        EXPECT_TRUE(file.image.isNull());
    }
}

// ---- Bitmaps ----

TEST_F(PictureFileTest, ReadsPaletteBitmapThroughItsPalette)
{
    const QImage indexed = palettePicture(13, 5, threeColours, stripes);
    const PictureFile file = read("palette.bmp", bmp8(indexed));
    ASSERT_EQ(file.error, PictureFileError::None);
    expectSamePixels(file.image, indexed);
}

TEST_F(PictureFileTest, IgnoresFourthByteOfPlain32BitBitmap)
{
    const QImage picture = cornersPicture();
    for (std::uint8_t fourth : {std::uint8_t(0), std::uint8_t(0x80), std::uint8_t(0xFF)}) {
        const PictureFile file = read("rgb32.bmp", bmp32Rgb(picture, fourth));
        ASSERT_EQ(file.error, PictureFileError::None);
        expectOpaqueWithColoursOf(file.image, picture);
    }
}

// The 56-byte, V4 and V5 headers carry mask fields even in a BI_RGB bitmap, where they mean nothing;
// writers fill them with the usual masks, alpha included.
TEST_F(PictureFileTest, IgnoresFourthByteOfPlain32BitBitmapWhoseHeaderHasAnAlphaMask)
{
    const QImage picture = cornersPicture();
    for (BitfieldsHeader header : {BitfieldsHeader::V3, BitfieldsHeader::V4, BitfieldsHeader::V5}) {
        QByteArray bytes = bmp32Bitfields(picture, header);
        bytes[30] = 0; // compression: BI_RGB instead of BI_BITFIELDS
        const PictureFile file = read("rgb32v4.bmp", bytes);
        ASSERT_EQ(file.error, PictureFileError::None);
        expectOpaqueWithColoursOf(file.image, picture);
    }
}

TEST_F(PictureFileTest, HonoursAlphaMaskOfBitfieldsBitmap)
{
    const QImage picture = cornersPicture();
    for (BitfieldsHeader header : {BitfieldsHeader::V3, BitfieldsHeader::V4, BitfieldsHeader::V5}) {
        const PictureFile file = read("argb.bmp", bmp32Bitfields(picture, header));
        ASSERT_EQ(file.error, PictureFileError::None) << int(header);
        expectSamePixels(file.image, picture);
    }
}

TEST_F(PictureFileTest, ReadsBitfieldsBitmapWithoutAlphaMaskAsOpaque)
{
    const QImage picture = cornersPicture();
    const PictureFile file = read("rgbmasks.bmp", bmp32Bitfields(picture, BitfieldsHeader::Info40));
    ASSERT_EQ(file.error, PictureFileError::None);
    expectOpaqueWithColoursOf(file.image, picture);
}

// ---- JPEG ----

TEST_F(PictureFileTest, ReadsGreyJpegWithEqualChannels)
{
    const PictureFile file = read("grey.jpg", jpeg(variedPicture(64, 48, 3), JpegColour::Grey));
    ASSERT_EQ(file.error, PictureFileError::None);
    const QImage rgb = file.image.convertToFormat(QImage::Format_RGB32);
    int distinctLevels = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb pixel = rgb.pixel(x, y);
            ASSERT_EQ(qRed(pixel), qGreen(pixel));
            ASSERT_EQ(qGreen(pixel), qBlue(pixel));
            distinctLevels += x > 0 && pixel != rgb.pixel(x - 1, y);
        }
    }
    EXPECT_GT(distinctLevels, 0); // a real picture, not one flat grey
}

TEST_F(PictureFileTest, KeepsJpegAsStoredDespiteExifRotation)
{
    const QByteArray rotated = withExifOrientation(jpeg(variedPicture(40, 20, 5)), 6);
    const PictureFile file = read("rotated.jpg", rotated);
    ASSERT_EQ(file.error, PictureFileError::None);
    EXPECT_EQ(file.image.size(), QSize(40, 20));
}

// ---- GIF ----

TEST_F(PictureFileTest, ReadsGifThroughItsPalette)
{
    const QImage indexed = palettePicture(300, 7, threeColours, [](int x, int y) { return (x + y) % 3; });
    const PictureFile file = read("stripes.gif", gif({indexed}));
    ASSERT_EQ(file.error, PictureFileError::None);
    expectSamePixels(file.image, indexed);
}

TEST_F(PictureFileTest, ShowsTransparentGifPixelsOverTheGreyBackground)
{
    const QImage indexed = palettePicture(10, 10, threeColours, [](int x, int) { return x < 5 ? 0 : 1; });
    const PictureFile file = read("transparent.gif", gif({indexed}, 0));
    ASSERT_EQ(file.error, PictureFileError::None);
    EXPECT_EQ(qAlpha(file.image.pixel(2, 2)), 0);
    const DrawingArea area(file.image);
    EXPECT_EQ(area.image().pixel(2, 2), qRgb(192, 192, 192));
    EXPECT_EQ(area.image().pixel(7, 2), threeColours[1]);
}

TEST_F(PictureFileTest, ReadsFirstFrameOfAnimatedGif)
{
    const QImage first = palettePicture(8, 8, threeColours, [](int, int) { return 2; });
    const QImage second = palettePicture(8, 8, threeColours, [](int, int) { return 1; });
    const PictureFile file = read("animated.gif", gif({first, second}));
    ASSERT_EQ(file.error, PictureFileError::None);
    expectSamePixels(file.image, first);
}

// ---- Refused files ----

TEST_F(PictureFileTest, ReportsMissingFile)
{
    const PictureFile file = readFile(folder_.filePath("absent.bmp"));
    EXPECT_EQ(file.error, PictureFileError::Missing);
    EXPECT_EQ(file.reason, "el archivo no existe");
}

TEST_F(PictureFileTest, ReportsFolderAndPipeAsUnreadable)
{
    const QString pipePath = folder_.filePath("pipe.jpg");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipePath).constData(), 0600), 0);
    for (const QString& path : {folder_.makeFolder("folder.bmp"), pipePath}) {
        const PictureFile file = readFile(path);
        EXPECT_EQ(file.error, PictureFileError::Unreadable) << path.toStdString();
        EXPECT_EQ(file.reason, "no se puede leer");
    }
}

TEST_F(PictureFileTest, ReportsFileWithoutReadPermissionAsUnreadable)
{
    if (!UserWithoutRights::isPossible())
        GTEST_SKIP() << "root reads any file, and there is no user \"nobody\" to read as";
    // The folder stays open to everyone, so that only the file's own permissions stop the read.
    QFile::setPermissions(folder_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                              QFileDevice::ReadOther | QFileDevice::ExeOther);
    const QString path = folder_.write("locked.bmp", bmp24(variedPicture(8, 8, 1)));
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    const UserWithoutRights user;
    EXPECT_EQ(readFile(path).error, PictureFileError::Unreadable);
}

TEST_F(PictureFileTest, RefusesEmptyAndForeignFiles)
{
    for (const QByteArray& bytes : {QByteArray(), QByteArray("hello\n"), QByteArray("BM"),
                                    QByteArray("BM") + QByteArray(200, '\x7F'),
                                    QByteArray("GIF89a"), QByteArray("\xFF\xD8\xFF", 3)}) {
        const PictureFile file = read("odd.bmp", bytes);
        EXPECT_EQ(file.error, PictureFileError::NotAPicture) << bytes.toHex().toStdString();
        EXPECT_EQ(file.reason, "no es una imagen BMP, JPEG o GIF válida");
    }
}

// Qt decodes a cut file of any of the three formats and fills in what is missing; the program must not
// give a key for a picture it only partly has.
TEST_F(PictureFileTest, RefusesCutFilesOfEveryFormat)
{
    const QImage picture = variedPicture(120, 90, 11);
    const QImage indexed = picture.convertToFormat(QImage::Format_Indexed8);
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"24-bit bitmap", bmp24(picture)},     {"palette bitmap", bmp8(indexed)},
        {"32-bit bitmap", bmp32Rgb(picture, 0)}, {"GIF", gif({indexed})},
        {"JPEG", jpeg(picture)},               {"grey JPEG", jpeg(picture, JpegColour::Grey)},
    };
    for (const auto& [kind, whole] : files) {
        ASSERT_EQ(read("whole", whole).error, PictureFileError::None) << kind;
        for (double kept : {0.99, 0.5, 0.1}) {
            const PictureFile cut = read("cut", whole.left(qsizetype(whole.size() * kept)));
            EXPECT_EQ(cut.error, PictureFileError::NotAPicture) << kind << " cut to " << kept;
        }
        // The last two bytes: pixel data, the JPEG's end marker, or the GIF's last block and trailer.
        EXPECT_EQ(read("cut", whole.chopped(2)).error, PictureFileError::NotAPicture) << kind;
    }
}

// Only the first frame is shown, so a GIF that lacks no more than its trailer is whole enough.
TEST_F(PictureFileTest, AcceptsGifWithoutTrailer)
{
    const QImage indexed = palettePicture(20, 10, threeColours, stripes);
    const PictureFile file = read("untrailed.gif", gif({indexed}).chopped(1));
    ASSERT_EQ(file.error, PictureFileError::None);
    expectSamePixels(file.image, indexed);
}

TEST_F(PictureFileTest, RefusesJpegWithDamagedData)
{
    QByteArray bytes = jpeg(variedPicture(120, 90, 11));
    const qsizetype scan = bytes.indexOf("\xFF\xDA");
    ASSERT_GT(scan, 0);
    for (qsizetype at = scan + 40; at < bytes.size() - 2; at += 29)
        bytes[at] = char(0xFF); // markers where entropy-coded data should be
    EXPECT_EQ(read("damaged.jpg", bytes).error, PictureFileError::NotAPicture);
}

// ---- Regions and size ----

void setLittleEndian16(QByteArray& bytes, qsizetype at, int value)
{
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char(value >> 8);
}

void setBigEndian16(QByteArray& bytes, qsizetype at, int value)
{
    bytes[at] = char(value >> 8);
    bytes[at + 1] = char(value & 0xFF);
}

void setLittleEndian32(QByteArray& bytes, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

// The same file decoded whole by Qt, as the program decoded every picture before it read regions.
QImage wholeDecode(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    return reader.read();
}

// The rows of a bottom-up bitmap stored top-down, as a negative height says.
QByteArray topDown(const QByteArray& bottomUp, int width, int height)
{
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const int dataOffset = 54;
    QByteArray bytes = bottomUp.left(dataOffset);
    for (int row = height - 1; row >= 0; --row)
        bytes.append(bottomUp.mid(dataOffset + row * rowBytes, rowBytes));
    setLittleEndian32(bytes, 22, std::uint32_t(-height));
    return bytes;
}

// The pixel data moved gap bytes further into the file, the offset saying so.
QByteArray withPixelsFurtherIn(const QByteArray& bmpBytes, int gap)
{
    const std::uint32_t dataOffset = std::uint8_t(bmpBytes[10]) | std::uint8_t(bmpBytes[11]) << 8;
    QByteArray bytes = bmpBytes;
    bytes.insert(dataOffset, QByteArray(gap, '\x55'));
    setLittleEndian32(bytes, 2, std::uint32_t(bytes.size()));
    setLittleEndian32(bytes, 10, dataOffset + std::uint32_t(gap));
    return bytes;
}

TEST_F(PictureFileTest, ShownRegionIsTheTopLeftOfAWholeDecodeInEveryFormat)
{
    const QImage large = variedPicture(701, 650, 31);
    const QImage narrow = variedPicture(200, 900, 32);
    const QImage indexed = palettePicture(900, 520, threeColours, [](int x, int y) { return (x / 7 + y / 5) % 3; });
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"bottom-up 24-bit bitmap", bmp24(large)},
        {"top-down 24-bit bitmap", topDown(bmp24(large), large.width(), large.height())},
        {"narrow bitmap", bmp24(narrow)},
        {"palette bitmap", bmp8(indexed)},
        {"run-length bitmap", bmp8RunLength(indexed)},
        {"bitmap whose pixels start far into the file", withPixelsFurtherIn(bmp24(large), 70000)},
        {"bitfields bitmap", bmp32Bitfields(large, BitfieldsHeader::V5)},
        {"baseline JPEG", jpeg(large)},
        {"grey JPEG", jpeg(narrow, JpegColour::Grey)},
        {"progressive JPEG", jpegEncoded(large, {JpegEncoding::Colours::YCbCr, 2, 2, true})},
        {"GIF", gif({indexed})},
    };
    for (const auto& [name, bytes] : files) {
        const QImage whole = wholeDecode(bytes);
        const PictureFile file = read("picture", bytes);
        ASSERT_EQ(file.error, PictureFileError::None) << name;
        EXPECT_EQ(file.size, (PictureSize{whole.width(), whole.height()})) << name;
        EXPECT_EQ(DrawingArea(file.image).image(), DrawingArea(whole).image()) << name;
    }
}

TEST_F(PictureFileTest, ReadsAJpegOfAnySizeForItsRegion)
{
    // Only the header claims 20000 x 20000; what it has of data decodes, the rest grey, as Qt does.
    QByteArray bytes = jpeg(variedPicture(16, 16, 2));
    const qsizetype frame = bytes.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    setBigEndian16(bytes, frame + 5, 20000); // height
    setBigEndian16(bytes, frame + 7, 20000); // width
    const PictureFile file = read("huge.jpg", bytes);
    ASSERT_EQ(file.error, PictureFileError::None);
    EXPECT_EQ(file.size, (PictureSize{20000, 20000}));
    EXPECT_EQ(file.image.size(), QSize(430, 503));
}

TEST_F(PictureFileTest, Reads8000By6000BitmapIntoItsRegionOnly)
{
    QImage picture(8000, 6000, QImage::Format_Indexed8);
    picture.setColorTable(QList<QRgb>(threeColours.begin(), threeColours.end()));
    for (int y = 0; y < picture.height(); ++y)
        std::memset(picture.scanLine(y), (y / 3) % 3, std::size_t(picture.width()));
    const PictureFile file = read("grande.bmp", bmp8(picture));
    ASSERT_EQ(file.error, PictureFileError::None);
    EXPECT_EQ(file.size, (PictureSize{8000, 6000}));
    EXPECT_EQ(file.image.size(), QSize(430, 503));
    EXPECT_EQ(file.image.pixel(0, 502), threeColours[(502 / 3) % 3]);
}

TEST_F(PictureFileTest, RefusesPicturesWhoseDecodingWouldExceedTheBoundAndSaysSo)
{
    // Qt decodes a progressive CMYK JPEG into coefficients for the whole picture, and a GIF's whole
    // screen.
    QByteArray progressive = jpegEncoded(variedPicture(16, 16, 2), {JpegEncoding::Colours::Cmyk, 1, 1, true});
    const qsizetype frame = progressive.indexOf("\xFF\xC2");
    ASSERT_GT(frame, 0);
    setBigEndian16(progressive, frame + 5, 20000);
    setBigEndian16(progressive, frame + 7, 20000);
    QByteArray gifFile = gif({palettePicture(16, 16, threeColours, stripes)});
    setLittleEndian16(gifFile, 6, 16000);
    setLittleEndian16(gifFile, 8, 16000);

    // Qt decodes a run-length bitmap whole; this one claims 100 x 2^31 - 1 rows of a byte a pixel.
    QByteArray runLength = bmp8RunLength(palettePicture(100, 1, threeColours, stripes));
    setLittleEndian32(runLength, 22, 0x7FFFFFFFu);
    for (const QByteArray& bytes : {progressive, gifFile, runLength}) {
        const PictureFile file = read("huge", bytes);
        EXPECT_EQ(file.error, PictureFileError::TooLarge);
        EXPECT_EQ(file.reason, "la imagen es demasiado grande (más de 512 MiB al decodificarla)");
    }
}

// Only what decoding needs counts: bytes after the picture are never read, and a 12000 x 9000
// progressive JPEG's coefficients (324 MB) fit.
TEST_F(PictureFileTest, ReadsPicturesWhateverFollowsThemWithinTheDecodingBound)
{
    const QImage indexed = palettePicture(500, 600, threeColours, stripes);
    for (const QByteArray& bytes : {jpeg(variedPicture(640, 480, 3)), gif({indexed}), bmp8RunLength(indexed)}) {
        const QString path = folder_.write("relleno", bytes);
        ASSERT_TRUE(QFile::resize(path, maxDecodingBytes + 1024 * 1024)); // zeros, sparse on disk
        const PictureFile file = readFile(path);
        ASSERT_EQ(file.error, PictureFileError::None) << file.reason.toStdString();
        EXPECT_EQ(file.image, read("entero", bytes).image);
    }
    QByteArray progressive = jpegEncoded(variedPicture(16, 16, 2), {JpegEncoding::Colours::YCbCr, 2, 2, true});
    const qsizetype frame = progressive.indexOf("\xFF\xC2");
    setBigEndian16(progressive, frame + 5, 9000);
    setBigEndian16(progressive, frame + 7, 12000);
    EXPECT_EQ(read("progresiva.jpg", progressive).size, (PictureSize{12000, 9000}));
}

// A JPEG that lacks its end marker, padded with nothing to past the bound, is walked no further.
TEST_F(PictureFileTest, RefusesAFileWhoseReadingPassesTheReadBoundAndSaysSo)
{
    const QString path = folder_.write("sin_fin.jpg", jpeg(variedPicture(64, 48, 3)).chopped(2));
    ASSERT_TRUE(QFile::resize(path, maxReadBytes + 1024 * 1024)); // zeros, sparse on disk
    const PictureFile file = readFile(path);
    EXPECT_EQ(file.error, PictureFileError::TooLarge);
    EXPECT_EQ(file.reason, "la imagen es demasiado grande (más de 256 MiB que leer del archivo)");
}

// ---- Files re-saved while they are read ----

// Written anew after each reading: once, then read again and kept; every time, then refused.
TEST_F(PictureFileTest, ReadsAFileChangedWhileReadOnceMoreAndRefusesItIfItChangesAgain)
{
    const QByteArray before = bmp24(variedPicture(40, 30, 1));
    const QByteArray after = bmp24(variedPicture(50, 30, 2));
    for (const int changes : {1, 2}) {
        QFile file(folder_.write("cara.bmp", before));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        int readings = 0;
        const PictureFile read = detail::readUnchanged(file.handle(), [&](QIODevice& device) {
            const PictureFile result = detail::readBitmap(device, PictureRegion::Shown);
            if (readings++ < changes)
                folder_.write("cara.bmp", readings % 2 == 1 ? after : before);
            return result;
        });
        EXPECT_EQ(read.image, changes == 1 ? readPicture(after).image : QImage());
        EXPECT_EQ(read.reason, changes == 1 ? "" : "el archivo cambió mientras se leía");
    }
}

// ---- Defined pixels, whatever was read before ----

// Runs of 50 pixels of index 1 in the 10 bottom rows, then the end of the bitmap: everything else unset.
TEST_F(PictureFileTest, ShowsTheBackgroundWhereRunLengthRowsLeavePixelsUnset)
{
    const QImage indexed = palettePicture(500, 20, threeColours, stripes);
    const QByteArray end("\0\1", 2);
    const QString rle8 = folder_.write("8.bmp", bmpRunLength(indexed, 8, QByteArray("\x32\1\0\0", 4).repeated(10) + end));
    const QString rle4 = folder_.write("4.bmp", bmpRunLength(indexed, 4, QByteArray("\x32\x11\0\0", 4).repeated(10) + end));
    const QString other = folder_.write("otra.bmp", bmp8RunLength(palettePicture(430, 503, threeColours, stripes)));
    for (const QStringList& order : {QStringList{other, rle8, rle4}, {rle4, other, rle8}, {rle8, rle4, other}}) {
        for (const QString& path : order) {
            const QImage shown = DrawingArea(readFile(path).image).image();
            if (path != other) {
                EXPECT_EQ(shown.pixel(49, 19), threeColours[1]);
                for (const QPoint unset : {QPoint(50, 19), QPoint(0, 9), QPoint(429, 0)})
                    EXPECT_EQ(shown.pixel(unset), qRgb(192, 192, 192));
            }
        }
    }
}

// Qt fills the screen around a first frame that brings its own colours before it has read them.
TEST_F(PictureFileTest, ShowsTheBackgroundAroundAGifFrameWithItsOwnColours)
{
    QByteArray bytes = gif({palettePicture(10, 10, threeColours, stripes)});
    const qsizetype descriptor = 13 + 768;
    ASSERT_EQ(bytes[descriptor], '\x2C');
    bytes[descriptor + 9] = char(0x87); // a local table of 256 colours: the global one again
    bytes.insert(descriptor + 10, bytes.mid(13, 768));
    setLittleEndian16(bytes, 6, 40);
    const DrawingArea area(read("marco.gif", bytes).image);
    EXPECT_EQ(area.image().pixel(1, 9), threeColours[1]);
    EXPECT_EQ(area.image().pixel(10, 0), qRgb(192, 192, 192));
}

// ---- Opening ----

// The path changes between a regular file and a named pipe all along: opening first and asking what
// was opened never waits for a writer.
TEST_F(PictureFileTest, NeverWaitsOnAPathThatBecomesANamedPipe)
{
    const QString written = folder_.write("cara.bmp", bmp24(variedPicture(8, 8, 1)));
    const std::string picture = QFile::encodeName(written).toStdString();
    const std::string pipe = QFile::encodeName(folder_.filePath("tubo")).toStdString();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::atomic<bool> swapping = true;
    std::thread swapper([&] {
        while (swapping)
            renameat2(AT_FDCWD, picture.c_str(), AT_FDCWD, pipe.c_str(), RENAME_EXCHANGE);
    });
    auto reads = std::async(std::launch::async, [&] {
        for (int i = 0; i < 20000; ++i)
            readPictureFile(picture);
    });
    const bool finished = reads.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    swapping = false;
    swapper.join();
    for (const std::string& path : {picture, pipe}) // lets a reader stuck on the pipe go
        close(open(path.c_str(), O_WRONLY | O_NONBLOCK));
    EXPECT_TRUE(finished);
}

// A name is bytes: one that is not UTF-8 opens as it is.
TEST_F(PictureFileTest, OpensThePathsOwnBytes)
{
    const std::string written = QFile::encodeName(folder_.write("cara.bmp", bmp24(variedPicture(8, 8, 1)))).toStdString();
    const std::string path = written + "\xff\xfe";
    ASSERT_EQ(std::rename(written.c_str(), path.c_str()), 0);
    EXPECT_EQ(readPictureFile(path).error, PictureFileError::None);
}

// ---- Bitmaps other readers agree on ----

QByteArray withDataOffset(QByteArray bytes, std::uint32_t offset)
{
    setLittleEndian32(bytes, 10, offset);
    return bytes;
}

// The OS/2 2.x header: the 40-byte fields, then 24 more.
QByteArray withOs2Header(QByteArray bytes)
{
    bytes.insert(54, QByteArray(24, '\0'));
    setLittleEndian32(bytes, 14, 64);
    return withDataOffset(bytes, std::uint8_t(bytes[10]) + 24u);
}

TEST_F(PictureFileTest, ReadsBitmapsAsTheReadersThatAgreeOnThemDo)
{
    const QByteArray masks = bmp32Bitfields(variedPicture(500, 600, 9), BitfieldsHeader::Info40);
    const QByteArray palette = bmp8(palettePicture(41, 30, threeColours, stripes));
    const QByteArray rgb = bmp24(variedPicture(41, 30, 4)); // rows of 123 bytes and one of padding
    const std::vector<std::pair<QByteArray, QByteArray>> cases = {
        {withDataOffset(masks, 0), masks},     {withDataOffset(masks, 54), masks},
        {withDataOffset(palette, 0), palette}, {withDataOffset(palette, 54), palette},
        {withOs2Header(palette), palette},     {rgb.chopped(1), rgb},
    };
    for (const auto& [odd, usual] : cases) {
        const PictureFile file = read("odd.bmp", odd);
        ASSERT_EQ(file.error, PictureFileError::None) << file.reason.toStdString();
        EXPECT_EQ(DrawingArea(file.image).image(), DrawingArea(read("usual.bmp", usual).image).image());
    }
    QByteArray tall = bmp24(solidPicture(1, 1, coral));
    setLittleEndian32(tall, 22, 0x80000000u); // -2^31: 2^31 rows, top-down
    const QString path = folder_.write("alta.bmp", tall);
    ASSERT_TRUE(QFile::resize(path, 54 + 4 * (qint64(1) << 31))); // every row there, sparse on disk
    EXPECT_EQ(readFile(path).size, (PictureSize{1, qint64(1) << 31}));
}

} // namespace
} // namespace velsaro
