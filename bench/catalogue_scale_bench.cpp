// Ten million keys shaped like those of photographs in one catalogue, through the real tool: the
// import's time and peak memory, whole --find runs of one and ten pictures at D = 0, 16 and 32, and a
// keying run started while an import writes. Some minutes in all; VELSARO_SCALE_KEYS sets another
// number of keys.
#include "catalogue/key_list.h"
#include "tests/support/picture_files.h"
#include "tests/support/real_shaped_keys.h"

#include <benchmark/benchmark.h>

#include <QFile>

#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace velsaro {
namespace {

std::string path(const QString& file)
{
    return QFile::encodeName(file).toStdString();
}

std::size_t keyCount()
{
    const char* count = std::getenv("VELSARO_SCALE_KEYS");
    return count ? std::size_t(std::atoll(count)) : 10'000'000;
}

struct Run {
    double wallSeconds = 0;
    double userSeconds = 0;
    double systemSeconds = 0;
    double peakMegabytes = 0;
    int status = -1;
};

// velsaro-clave with arguments, its output thrown away.
pid_t start(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv{const_cast<char*>(VELSARO_CLAVE_PATH)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    posix_spawn(&child, VELSARO_CLAVE_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

Run finish(pid_t child, std::chrono::steady_clock::time_point started)
{
    Run run;
    rusage usage{};
    wait4(child, &run.status, 0, &usage);
    run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    run.userSeconds = double(usage.ru_utime.tv_sec) + double(usage.ru_utime.tv_usec) / 1e6;
    run.systemSeconds = double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6;
    run.peakMegabytes = double(usage.ru_maxrss) / 1024;
    return run;
}

Run runTool(const std::vector<std::string>& arguments)
{
    const auto started = std::chrono::steady_clock::now();
    return finish(start(arguments), started);
}

// The key list, the query pictures and the catalogue, made once.
struct Collection {
    Collection()
    {
        // Paths relative to the list's folder, in a thousand folders that exist, as a collection's do.
        for (int f = 0; f < 1000; ++f)
            folder.makeFolder(QString("fotos/%1").arg(f));
        // The keys are made in a child process: a child the benchmark starts inherits its peak memory as
        // its own, so the benchmark stays small for the tool's peak to be its own.
        if (const pid_t maker = fork(); maker == 0) {
            writeList();
            _exit(0);
        } else {
            waitpid(maker, nullptr, 0);
        }
        for (unsigned q = 0; q < 10; ++q) {
            queries.push_back(path(folder.filePath(QString("consulta%1.jpg").arg(q))));
            QFile file(QString::fromStdString(queries.back()));
            file.open(QIODevice::WriteOnly);
            file.write(testing::jpeg(testing::variedPicture(640, 480, q)));
        }
    }

    void writeList() const
    {
        std::ofstream lines(list);
        const std::vector<KeyCodes> keys = testing::realShapedKeys(keyCount(), 7);
        for (std::size_t k = 0; k < keys.size(); ++k)
            lines << keyLine(keyText(keys[k]), "fotos/" + std::to_string(k % 1000) + "/" + std::to_string(k) + ".jpg");
    }

    const testing::TemporaryFolder folder;
    const std::string list = path(folder.filePath("claves.txt"));
    const std::string catalogue = path(folder.filePath("claves.db"));
    std::vector<std::string> queries;
    bool imported = false;
};

Collection& collection()
{
    static Collection made;
    return made;
}

void report(benchmark::State& state, const Run& run)
{
    state.SetIterationTime(run.wallSeconds);
    state.counters["user_s"] = run.userSeconds;
    state.counters["system_s"] = run.systemSeconds;
    state.counters["peak_MB"] = run.peakMegabytes;
    if (run.status != 0)
        state.SkipWithError("the tool failed");
}

void import(benchmark::State& state)
{
    Collection& made = collection();
    for (auto _ : state) {
        std::filesystem::remove(made.catalogue);
        report(state, runTool({"--catalogue", made.catalogue, "--import", made.list}));
    }
    made.imported = true;
}

// A run that keys ten pictures into the catalogue while an import of every key into it writes.
void keyingDuringImport(benchmark::State& state)
{
    Collection& made = collection();
    for (auto _ : state) {
        const auto importStarted = std::chrono::steady_clock::now();
        const pid_t importing = start({"--catalogue", made.catalogue, "--import", made.list});
        std::this_thread::sleep_for(std::chrono::seconds(10));
        std::vector<std::string> arguments{"--catalogue", made.catalogue};
        arguments.insert(arguments.end(), made.queries.begin(), made.queries.end());
        report(state, runTool(arguments));
        const Run importRun = finish(importing, importStarted);
        state.counters["import_s"] = importRun.wallSeconds;
        if (importRun.status != 0)
            state.SkipWithError("the import failed");
    }
}

void find(benchmark::State& state)
{
    Collection& made = collection();
    if (!made.imported)
        runTool({"--catalogue", made.catalogue, "--import", made.list}), made.imported = true;
    std::vector<std::string> arguments{"--catalogue", made.catalogue, "--find", "--near", std::to_string(state.range(1))};
    arguments.insert(arguments.end(), made.queries.begin(), made.queries.begin() + state.range(0));
    for (auto _ : state)
        report(state, runTool(arguments));
}

BENCHMARK(import)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(find)->ArgsProduct({{1, 10}, {0, 16, 32}})->ArgNames({"queries", "D"})->Iterations(5)->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(keyingDuringImport)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
} // namespace velsaro

BENCHMARK_MAIN();
