// Writes the fuzz target's first inputs: small pictures of every kind the reader handles, into the
// folder named on the command line.
#include "tests/support/picture_files.h"

#include <QDir>
#include <QFile>

#include <cstdio>

using namespace velsaro::testing;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    folder.mkpath(QStringLiteral("."));
    const QImage small = variedPicture(24, 17, 1);
    const QImage tall = variedPicture(40, 400, 2);     // reaches the key's rows
    const QImage taller = variedPicture(32, 640, 3);   // past the rows a progressive region decodes
    const QImage wide = variedPicture(420, 420, 4);    // past the columns a progressive region keeps
    const QImage indexed = palettePicture(21, 13, {qRgb(250, 0, 0), qRgb(0, 0, 240), qRgb(20, 200, 30)},
                                          [](int x, int y) { return (x + 2 * y) % 3; });
    using Colours = JpegEncoding::Colours;
    const std::vector<std::pair<const char*, QByteArray>> seeds = {
        {"rgb24.bmp", bmp24(small)},
        {"palette8.bmp", bmp8(indexed)},
        {"rgb32.bmp", bmp32Rgb(small, 0)},
        {"runlength8.bmp", bmp8RunLength(indexed)},
        {"runlength4.bmp", bmpRunLength(indexed, 4, QByteArray("\x05\x12\0\x02\x03\x01\0\x03\x21\x10\0\0\0\1", 14))},
        {"bitfields_v3.bmp", bmp32Bitfields(small, BitfieldsHeader::V3)},
        {"bitfields_v5.bmp", bmp32Bitfields(small, BitfieldsHeader::V5)},
        {"baseline.jpg", jpeg(small)},
        {"grey.jpg", jpeg(small, JpegColour::Grey)},
        {"tall420.jpg", jpegEncoded(tall, {Colours::YCbCr, 2, 2, false, 0, 50})},
        {"tall422_restarts.jpg", jpegEncoded(tall, {Colours::YCbCr, 2, 1, false, 1, 50})},
        {"progressive.jpg", jpegEncoded(small, {Colours::YCbCr, 2, 2, true})},
        {"tall_progressive420.jpg", jpegEncoded(taller, {Colours::YCbCr, 2, 2, true, 0, 50})},
        {"tall_progressive444_restarts.jpg", jpegEncoded(taller, {Colours::YCbCr, 1, 1, true, 1, 50})},
        {"tall_progressive_grey.jpg", jpegEncoded(taller, {Colours::Grey, 1, 1, true, 0, 50})},
        {"wide_progressive420_restarts.jpg", jpegEncoded(wide, {Colours::YCbCr, 2, 2, true, 1, 50})},
        {"wide_three_steps444.jpg", jpegEncoded(wide, {Colours::YCbCr, 1, 1, false, 0, 50,
                                                       jpegScript(JpegScript::ThreeSteps)})},
        {"tall_three_steps422.jpg", jpegEncoded(taller, {Colours::YCbCr, 2, 1, false, 0, 50,
                                                         jpegScript(JpegScript::ThreeSteps)})},
        {"tall_unrefined420.jpg", jpegEncoded(taller, {Colours::YCbCr, 2, 2, false, 2, 50,
                                                       jpegScript(JpegScript::Unrefined)})},
        {"tall_dc_scan_each422_restarts.jpg", jpegEncoded(taller, {Colours::YCbCr, 2, 1, false, 1, 50,
                                                                   jpegScript(JpegScript::DcScanEach)})},
        {"tall_sequential_scans.jpg", jpegEncoded(taller, {Colours::YCbCr, 1, 2, false, 0, 50,
                                                           jpegScript(JpegScript::SequentialScans)})},
        {"cmyk.jpg", jpegEncoded(small, {Colours::Cmyk, 1, 1})},
        {"still.gif", gif({indexed})},
        {"transparent.gif", gif({indexed}, 1)},
        {"animated.gif", gif({indexed, indexed.mirrored()})},
    };
    for (const auto& [name, bytes] : seeds) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "fuzz_seeds: could not write %s\n", name);
            return 1;
        }
    }
    return 0;
}
