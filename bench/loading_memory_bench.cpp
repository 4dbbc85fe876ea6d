// The program's resident memory after "Cargar Imagen" with eight 6000 x 4000 JPEG photographs, and with
// one 8000 x 6000 bitmap, through the real main window and the loading handler, offscreen. The figure
// is the counter rss_added_MiB: what the loaded set holds over the window before its first load.
#include "controls/fonts.h"
#include "tests/app/form1_access.h"
#include "tests/support/picture_files.h"
#include "tests/support/recording_message_box.h"
#include "tests/support/scripted_file_open_dialog.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>

#include <unistd.h>

namespace velsaro::bench {

namespace {

constexpr int pictureCount = 8;

double residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Loads paths through the dialog again and again; the counters say what the loaded set holds.
void loadAndMeasure(benchmark::State& state, const QStringList& paths)
{
    testing::ScriptedFileOpenDialog dialog;
    testing::RecordingMessageBox messages;
    testing::Form1Access form1{dialog, messages};
    form1.show();
    settle();
    const double before = residentMiB();
    double after = before;
    for (auto _ : state) {
        dialog.choose(paths);
        QTest::mouseClick(form1.bCargaImgs, Qt::LeftButton);
        settle();
        if (form1.numImgs != paths.size())
            state.SkipWithError("the pictures did not load");
        after = residentMiB();
    }
    state.counters["rss_before_MiB"] = before;
    state.counters["rss_added_MiB"] = after - before;
}

void loadEightPhotos(benchmark::State& state)
{
    testing::TemporaryFolder folder;
    QStringList paths;
    for (int i = 0; i < pictureCount; ++i) {
        const QString path = folder.filePath(QStringLiteral("foto%1.jpg").arg(i + 1));
        if (!testing::writePhotoLikeJpeg(path, 6000, 4000, {}))
            state.SkipWithError("could not write the photos");
        paths.append(path);
    }
    loadAndMeasure(state, paths);
}

// A 24-bit bitmap of 8000 x 6000: 137 MiB of file, of which the region's rows are read.
void loadLargeBitmap(benchmark::State& state)
{
    testing::TemporaryFolder folder;
    const QString path = [&] {
        QImage picture(8000, 6000, QImage::Format_RGB888);
        picture.fill(QColor(40, 120, 200));
        return folder.write(QStringLiteral("grande.bmp"), testing::bmp24(picture));
    }();
    loadAndMeasure(state, {path});
}

} // namespace

} // namespace velsaro::bench

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    velsaro::installFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("Load/8-photos-6000x4000", velsaro::bench::loadEightPhotos)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RegisterBenchmark("Load/1-bitmap-8000x6000", velsaro::bench::loadLargeBitmap)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
