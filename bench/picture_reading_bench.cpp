// CPU time per picture for large JPEG photographs: a whole decode by Qt (what both programs did before
// they read regions), the program's reader (the region the drawing area shows) and the command-line
// tool's path from the file to the key (the key's rows and columns only, then the key) and, with
// --fit, from the file to the whole picture's key and fingerprint; the CPU time of all the process's
// threads.
//
// The photographs are generated photo-like ones, and where VELSARO_BENCH_PHOTOS names a folder, every
// JPEG in it too, rewritten without loss both baseline and progressive (the same coefficients, so a
// progressive file is set against a baseline one of the same picture and size). Files are written once
// per run into a temporary folder, or into the folder VELSARO_BENCH_KEEP names, where they stay.
#include "cli/batch.h"
#include "picture/picture_file.h"
#include "tests/support/picture_files.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>

namespace {

using velsaro::testing::JpegEncoding;

// A photograph as the benchmarks read it: made on first use, its path kept for the run.
struct Photo {
    std::string name;
    std::function<bool(const QString& path)> write;
    QString path = {};
};

QDir& photoFolder()
{
    static velsaro::testing::TemporaryFolder temporary;
    static QDir folder(qEnvironmentVariableIsSet("VELSARO_BENCH_KEEP") ? qEnvironmentVariable("VELSARO_BENCH_KEEP")
                                                                        : temporary.path());
    folder.mkpath(QStringLiteral("."));
    return folder;
}

const QString& pathOf(Photo& photo)
{
    if (photo.path.isEmpty()) {
        const QString path = photoFolder().filePath(QString::fromStdString(photo.name) + ".jpg");
        if (!photo.write(path))
            std::fprintf(stderr, "could not write %s\n", photo.name.c_str());
        photo.path = path;
    }
    return photo.path;
}

Photo generated(const char* name, int width, int height, int hSampling, int vSampling, bool progressive)
{
    JpegEncoding encoding;
    encoding.hSampling = hSampling;
    encoding.vSampling = vSampling;
    encoding.progressive = progressive;
    return {name, [=](const QString& path) {
                return velsaro::testing::writePhotoLikeJpeg(path, width, height, encoding);
            }};
}

struct TranscodingErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// The coefficients read and written again: baseline with Huffman tables fitted to them, or with
// libjpeg's default progression. Nothing between libjpeg and this frame needs destroying.
bool transcode(jpeg_decompress_struct* in, jpeg_compress_struct* out, TranscodingErrors* errors, bool progressive)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_read_header(in, TRUE);
    jvirt_barray_ptr* coefficients = jpeg_read_coefficients(in);
    jpeg_copy_critical_parameters(in, out);
    if (progressive)
        jpeg_simple_progression(out);
    else
        out->optimize_coding = TRUE;
    jpeg_write_coefficients(out, coefficients);
    jpeg_finish_compress(out);
    jpeg_finish_decompress(in);
    return true;
}

// The JPEG file rewritten without loss; empty if libjpeg cannot.
QByteArray rewritten(const QByteArray& file, bool progressive)
{
    jpeg_decompress_struct in{};
    jpeg_compress_struct out{};
    TranscodingErrors errors{};
    in.err = out.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = [](j_common_ptr info) {
        std::longjmp(reinterpret_cast<TranscodingErrors*>(info->err)->jump, 1);
    };
    jpeg_create_decompress(&in);
    jpeg_create_compress(&out);
    jpeg_mem_src(&in, reinterpret_cast<const unsigned char*>(file.constData()), (unsigned long)file.size());
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&out, &buffer, &size);
    const bool written = transcode(&in, &out, &errors, progressive);
    jpeg_destroy_compress(&out);
    jpeg_destroy_decompress(&in);
    const QByteArray bytes =
        written ? QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size)) : QByteArray();
    std::free(buffer);
    return bytes;
}

Photo rewrittenPhoto(const QString& original, bool progressive)
{
    const std::string name = QFileInfo(original).completeBaseName().toStdString() +
                             (progressive ? "/progressive" : "/baseline");
    return {name, [=](const QString& path) {
                QFile in(original);
                QFile out(path);
                const QByteArray bytes = in.open(QIODevice::ReadOnly) ? rewritten(in.readAll(), progressive)
                                                                      : QByteArray();
                return !bytes.isEmpty() && QDir().mkpath(QFileInfo(path).path()) &&
                       out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
            }};
}

void wholeQtDecode(benchmark::State& state, Photo* photo)
{
    const QString& file = pathOf(*photo);
    for (auto _ : state) {
        QImageReader::setAllocationLimit(0); // a 12000 x 9000 picture is over Qt's default limit
        QImageReader reader(file);
        reader.setAutoTransform(false);
        const QImage picture = reader.read();
        if (picture.isNull())
            state.SkipWithError("Qt did not decode the photo");
        benchmark::DoNotOptimize(picture.constBits());
    }
}

void programReader(benchmark::State& state, Photo* photo)
{
    const std::string file = QFile::encodeName(pathOf(*photo)).toStdString();
    for (auto _ : state) {
        const velsaro::PictureFile picture = velsaro::readPictureFile(file);
        if (picture.image.isNull())
            state.SkipWithError("the program's reader did not read the photo");
        benchmark::DoNotOptimize(picture.image.constBits());
    }
}

// As velsaro-clave -j1 keys it: on a worker thread, whose heap is not the main thread's.
void keyOnWorker(benchmark::State& state, Photo* photo, velsaro::cli::Keying keying)
{
    const std::vector<velsaro::cli::PictureEntry> entries{{QFile::encodeName(pathOf(*photo)).toStdString(), {}}};
    for (auto _ : state) {
        velsaro::cli::keyPictures(entries, 1, keying, [&](const velsaro::cli::PictureResult& result) {
            if (!result.key)
                state.SkipWithError("the tool did not key the photo");
            else
                benchmark::DoNotOptimize(result.key->text.data());
        });
    }
}

void toolKeyPath(benchmark::State& state, Photo* photo)
{
    keyOnWorker(state, photo, {});
}

// velsaro-clave -j1 --fit --compare --near D: the whole picture fitted, its key and its fingerprint.
void toolFittedKeyPath(benchmark::State& state, Photo* photo)
{
    keyOnWorker(state, photo, {.fit = true, .fingerprints = true});
}

// Generated photos (4:2:0 unless named 4:4:4), then each photo of the folder baseline and progressive.
std::vector<std::unique_ptr<Photo>> photos()
{
    std::vector<std::unique_ptr<Photo>> all;
    all.push_back(std::make_unique<Photo>(generated("baseline_4000x3000", 4000, 3000, 2, 2, false)));
    all.push_back(std::make_unique<Photo>(generated("progressive_4000x3000", 4000, 3000, 2, 2, true)));
    all.push_back(std::make_unique<Photo>(generated("baseline_12000x9000", 12000, 9000, 2, 2, false)));
    all.push_back(std::make_unique<Photo>(generated("progressive_12000x9000", 12000, 9000, 2, 2, true)));
    all.push_back(std::make_unique<Photo>(generated("progressive444_12000x9000", 12000, 9000, 1, 1, true)));
    if (!qEnvironmentVariableIsSet("VELSARO_BENCH_PHOTOS"))
        return all;
    const QDir folder(qEnvironmentVariable("VELSARO_BENCH_PHOTOS"));
    const QStringList jpegs = {QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"), QStringLiteral("*.JPG")};
    for (const QString& name : folder.entryList(jpegs, QDir::Files, QDir::Name))
        for (const bool progressive : {false, true})
            all.push_back(std::make_unique<Photo>(rewrittenPhoto(folder.filePath(name), progressive)));
    return all;
}

void registerBenchmarks(const std::vector<std::unique_ptr<Photo>>& all)
{
    // Qt decodes a progressive 12000 x 9000 photograph whole in seconds: that one is left out.
    for (std::size_t i = 0; i < 3; ++i)
        benchmark::RegisterBenchmark(("wholeQtDecode/" + all[i]->name).c_str(), wholeQtDecode, all[i].get())
            ->Unit(benchmark::kMillisecond);
    for (const auto& photo : all)
        benchmark::RegisterBenchmark(("programReader/" + photo->name).c_str(), programReader, photo.get())
            ->Unit(benchmark::kMillisecond);
    using Path = void (*)(benchmark::State&, Photo*);
    for (const auto& [name, path] : {std::pair<std::string, Path>{"toolKeyPath/", toolKeyPath},
                                     {"toolFittedKeyPath/", toolFittedKeyPath}})
        for (const auto& photo : all)
            benchmark::RegisterBenchmark((name + photo->name).c_str(), path, photo.get())
                ->Unit(benchmark::kMillisecond)
                ->MeasureProcessCPUTime();
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const std::vector<std::unique_ptr<Photo>> all = photos();
    registerBenchmarks(all);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
