// What keying costs on top of decoding: a batch of 200 JPEG pictures of the drawing area's size, decoded
// alone, then decoded, shown in a drawing area and keyed as velsaro-clave does, on one thread.
#include "cli/batch.h"
#include "picture/picture_file.h"
#include "engine/geometry.h"
#include "tests/support/picture_files.h"

#include <benchmark/benchmark.h>

#include <QFile>

#include <memory>

namespace {

constexpr int batchSize = 200;

struct JpegBatch {
    velsaro::testing::TemporaryFolder folder;
    std::vector<QString> files;
    std::vector<velsaro::cli::PictureEntry> entries;
};

// Made once, on first use, so that only the benchmarks that run pay for it.
const JpegBatch& jpegBatch()
{
    static const std::unique_ptr<JpegBatch> batch = [] {
        auto made = std::make_unique<JpegBatch>();
        for (int i = 0; i < batchSize; ++i) {
            const QImage picture = velsaro::testing::variedPicture(velsaro::drawingAreaWidth,
                                                                   velsaro::drawingAreaHeight, unsigned(i));
            const QString file =
                made->folder.write(QString("picture%1.jpg").arg(i), velsaro::testing::jpeg(picture));
            made->files.push_back(file);
            made->entries.push_back({QFile::encodeName(file).toStdString(), {}});
        }
        return made;
    }();
    return *batch;
}

void reportPerPicture(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * batchSize);
    state.counters["per_picture"] =
        benchmark::Counter(double(state.iterations() * batchSize),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void decodeOnly(benchmark::State& state)
{
    const JpegBatch& batch = jpegBatch();
    for (auto _ : state) {
        for (const QString& file : batch.files) {
            const velsaro::PictureFile picture = velsaro::readPictureFile(QFile::encodeName(file).toStdString());
            benchmark::DoNotOptimize(picture.image.constBits());
        }
    }
    reportPerPicture(state);
}

void decodeAndKey(benchmark::State& state)
{
    const JpegBatch& batch = jpegBatch();
    for (auto _ : state) {
        for (const velsaro::cli::PictureEntry& entry : batch.entries) {
            const velsaro::cli::PictureResult result = velsaro::cli::keyPicture(entry);
            benchmark::DoNotOptimize(result.key->text.data());
        }
    }
    reportPerPicture(state);
}

BENCHMARK(decodeOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(decodeAndKey)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
