// CPU time per picture for large JPEG photographs: a whole decode by Qt (what both programs did before
// they read regions), the program's reader (the region the drawing area shows) and the command-line
// tool's path from the file to the key (the key's rows and columns only, then the key).
#include "cli/batch.h"
#include "picture/picture_file.h"
#include "tests/support/picture_files.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QImageReader>

#include <array>
#include <cstdio>
#include <memory>

namespace {

struct Photo {
    const char* name;
    int width;
    int height;
    bool progressive;
};

constexpr std::array<Photo, 3> photos = {{
    {"baseline_4000x3000", 4000, 3000, false},
    {"progressive_4000x3000", 4000, 3000, true},
    {"baseline_12000x9000", 12000, 9000, false},
}};

// Written on first use and kept for the run: the 12000 x 9000 one takes several seconds to encode.
const QString& photoFile(std::size_t index)
{
    static velsaro::testing::TemporaryFolder folder;
    static std::array<QString, photos.size()> files;
    if (files[index].isEmpty()) {
        const Photo& photo = photos[index];
        velsaro::testing::JpegEncoding encoding;
        encoding.progressive = photo.progressive;
        const QString path = folder.filePath(QString::fromLatin1(photo.name) + ".jpg");
        if (!velsaro::testing::writePhotoLikeJpeg(path, photo.width, photo.height, encoding))
            std::fprintf(stderr, "could not write %s\n", photo.name);
        files[index] = path;
    }
    return files[index];
}

void wholeQtDecode(benchmark::State& state)
{
    const QString& file = photoFile(std::size_t(state.range(0)));
    for (auto _ : state) {
        QImageReader::setAllocationLimit(0); // a 12000 x 9000 picture is over Qt's default limit
        QImageReader reader(file);
        reader.setAutoTransform(false);
        const QImage picture = reader.read();
        if (picture.isNull())
            state.SkipWithError("Qt did not decode the photo");
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.SetLabel(photos[std::size_t(state.range(0))].name);
}

void programReader(benchmark::State& state)
{
    const std::string file = QFile::encodeName(photoFile(std::size_t(state.range(0)))).toStdString();
    for (auto _ : state) {
        const velsaro::PictureFile picture = velsaro::readPictureFile(file);
        if (picture.image.isNull())
            state.SkipWithError("the program's reader did not read the photo");
        benchmark::DoNotOptimize(picture.image.constBits());
    }
    state.SetLabel(photos[std::size_t(state.range(0))].name);
}

void toolKeyPath(benchmark::State& state)
{
    const velsaro::cli::PictureEntry entry{QFile::encodeName(photoFile(std::size_t(state.range(0)))).toStdString(), {}};
    for (auto _ : state) {
        const velsaro::cli::PictureResult result = velsaro::cli::keyPicture(entry);
        if (!result.key)
            state.SkipWithError("the tool did not key the photo");
        benchmark::DoNotOptimize(result.key->text.data());
    }
    state.SetLabel(photos[std::size_t(state.range(0))].name);
}

BENCHMARK(wholeQtDecode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(programReader)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(toolKeyPath)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
