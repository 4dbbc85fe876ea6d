// "Comparar" with eight 430 x 503 pictures in the real main window, offscreen: from the click on the
// button to the keys window shown with the eight keys coloured.
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

namespace velsaro::bench {

namespace {

constexpr int pictureCount = 8;

struct LoadedWindow {
    testing::TemporaryFolder folder;
    testing::ScriptedFileOpenDialog dialog;
    testing::RecordingMessageBox messages;
    testing::Form1Access form1{dialog, messages};

    LoadedWindow()
    {
        QStringList paths;
        for (int i = 0; i < pictureCount; ++i)
            paths.append(folder.write(QStringLiteral("imagen%1.jpg").arg(i + 1),
                                      testing::jpeg(testing::variedPicture(430, 503, 500 + unsigned(i)))));
        dialog.choose(paths);
        form1.show();
        QTest::mouseClick(form1.bCargaImgs, Qt::LeftButton);
        settle();
    }

    // What the event loop would do between two clicks of the user: paint, delete closed windows.
    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

LoadedWindow& loadedWindow()
{
    static LoadedWindow window;
    return window;
}

void checkShown(benchmark::State& state, LoadedWindow& window)
{
    if (window.form1.numImgs != pictureCount || !window.form1.form2.isShown())
        state.SkipWithError("the keys window did not show eight keys");
}

// The first run: the keys window does not exist yet and is created by the run.
void compareFreshWindow(benchmark::State& state)
{
    LoadedWindow& window = loadedWindow();
    for (auto _ : state) {
        state.PauseTiming();
        window.form1.form2.unload();
        LoadedWindow::settle();
        state.ResumeTiming();
        QTest::mouseClick(window.form1.bTodas, Qt::LeftButton);
        checkShown(state, window);
    }
}

// Again, with the keys window of the previous run still open.
void compareWindowOpen(benchmark::State& state)
{
    LoadedWindow& window = loadedWindow();
    for (auto _ : state) {
        state.PauseTiming();
        LoadedWindow::settle();
        state.ResumeTiming();
        QTest::mouseClick(window.form1.bTodas, Qt::LeftButton);
        checkShown(state, window);
    }
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
    benchmark::RegisterBenchmark("Compare/8-pictures/keys-window-created", velsaro::bench::compareFreshWindow)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Compare/8-pictures/keys-window-open", velsaro::bench::compareWindowOpen)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
