// Picture files made at run time for the tests: the exact bytes of BMP and GIF files (written byte by
// byte, here and in tools/gif_writer, so a test controls every header field) and JPEG files through
// Qt's own writer or libjpeg, plus a temporary folder to put them in.
#pragma once

#include "tools/gif_writer.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <vector>

namespace velsaro::testing {

// A folder that exists for the lifetime of the object and is removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder();
    // Removes the folder by its bytes, so that names that are not UTF-8, which Qt cannot name, go too.
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    QString path() const;
    QString filePath(const QString& name) const;
    // Writes bytes to name (subfolders are created) and returns the file's full path.
    QString write(const QString& name, const QByteArray& bytes) const;
    // Creates the subfolder name and returns its full path.
    QString makeFolder(const QString& name) const;

private:
    QTemporaryDir dir_;
};

// One colour everywhere.
QImage solidPicture(int width, int height, QColor colour);
// Bands, rectangles and ellipses of colours chosen by seed: different seeds give different keys.
QImage variedPicture(int width, int height, unsigned seed);
// An 8-bit palette picture: pixel (x, y) has palette index indexAt(x, y).
QImage palettePicture(int width, int height, const std::vector<QRgb>& palette,
                      const std::function<int(int x, int y)>& indexAt);

// Windows bitmaps, rows bottom-up as most writers store them.
// 24 bits per pixel, BITMAPINFOHEADER; alpha is dropped.
QByteArray bmp24(const QImage& picture);
// 8 bits per pixel through the picture's colour table (picture must be Format_Indexed8).
QByteArray bmp8(const QImage& picture);
// Run-length encoded, BI_RLE8 (bitsPerPixel 8) or BI_RLE4 (4), with the size and colour table of
// indexed (Format_Indexed8) and data as its pixel data, byte for byte.
QByteArray bmpRunLength(const QImage& indexed, int bitsPerPixel, const QByteArray& data);
// indexed's rows encoded BI_RLE8, a run of one index at a time, each row closed by an end of line and
// the last by the end of the bitmap.
QByteArray bmp8RunLength(const QImage& indexed);
// 32 bits per pixel, BI_RGB, BITMAPINFOHEADER: blue, green, red and then fourthByte for every pixel.
// That byte is reserved in this format, so a reader must ignore it.
QByteArray bmp32Rgb(const QImage& picture, std::uint8_t fourthByte);

// Header of a 32-bit BI_BITFIELDS bitmap: the 40-byte BITMAPINFOHEADER followed by three colour masks
// (no alpha mask can be declared), or the 56-byte V3, 108-byte V4 and 124-byte V5 headers, which
// declare the alpha mask 0xFF000000.
enum class BitfieldsHeader { Info40, V3, V4, V5 };
// 32 bits per pixel, BI_BITFIELDS, masks red 0x00FF0000, green 0x0000FF00, blue 0x000000FF: blue,
// green, red and the picture's alpha for every pixel.
QByteArray bmp32Bitfields(const QImage& picture, BitfieldsHeader header);

// GIF files come from the writer the samples are made with.
using velsaro::gif;

enum class JpegColour { Colour, Grey };
// A baseline JPEG from Qt's writer; Grey writes a one-component file.
QByteArray jpeg(const QImage& picture, JpegColour colour = JpegColour::Colour, int quality = 90);
// One scan of a JPEG as libjpeg's scan scripts give it: the components it holds, its band of
// coefficients Ss..Se in zigzag order, and the bit positions Ah (before) and Al (after) of successive
// approximation.
struct JpegScan {
    std::vector<int> components;
    int Ss = 0;
    int Se = 63;
    int Ah = 0;
    int Al = 0;
};
// Scan scripts of three components that libjpeg's default progression does not write.
enum class JpegScript {
    SpectralOnly,    // spectral selection alone: every band once, at full precision
    ThreeSteps,      // DC and every AC coefficient of each component in three successive approximations
    Unrefined,       // low coefficients never refined, so decoders smooth blocks from their neighbours
    SequentialScans, // each component in a sequential scan of its own
    DcScanEach,      // each component's DC in scans of its own, in two successive approximations
};
std::vector<JpegScan> jpegScript(JpegScript script);
// How jpegEncoded lays a JPEG out. Sampling is the luma component's horizontal and vertical factors
// over chroma's 1 x 1: 1 x 1 is 4:4:4, 2 x 1 4:2:2, 2 x 2 4:2:0, 1 x 2 4:4:0.
struct JpegEncoding {
    enum class Colours { YCbCr, Grey, Cmyk };
    Colours colours = Colours::YCbCr;
    int hSampling = 2;
    int vSampling = 2;
    bool progressive = false;
    int restartRows = 0; // a restart marker every this many MCU rows; 0 for none
    int quality = 90;
    std::vector<JpegScan> scans = {}; // the scans in order; libjpeg's own when empty
};
// libjpeg's own progression at that sampling; a script of the named kind.
JpegEncoding progressiveEncoding(int hSampling, int vSampling,
                                 JpegEncoding::Colours colours = JpegEncoding::Colours::YCbCr, int restartRows = 0);
JpegEncoding scriptedEncoding(JpegScript script, int hSampling, int vSampling, int restartRows = 0);
// A JPEG written by libjpeg directly, for layouts Qt's writer does not make. CMYK is written from the
// picture's red, green and blue as cyan, magenta and yellow, with black 0. Empty if libjpeg fails.
QByteArray jpegEncoded(const QImage& picture, const JpegEncoding& encoding);
// Writes a JPEG of width x height to path row by row, without the whole picture in memory: smooth
// bands with fine grain, which costs a decoder about what a photograph does. False if it fails.
bool writePhotoLikeJpeg(const QString& path, int width, int height, const JpegEncoding& encoding);
// The JPEG with an EXIF segment after its start marker that holds only an orientation tag (1..8; 6
// asks a viewer to turn the picture a quarter clockwise).
QByteArray withExifOrientation(const QByteArray& jpegFile, int orientation);

} // namespace velsaro::testing
