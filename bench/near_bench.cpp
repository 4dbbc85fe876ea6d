// Near keys at scale, with synthetic keys: a catalogue search for the keys within D bits of one key
// among 10^4, 10^5 and 10^6; grouping 10^5 keys by --near D; and velsaro-clave over a batch of JPEG
// files with a fresh catalogue against a second run over the unchanged files.
#include "cli/actions.h"
#include "cli/catalogue.h"
#include "cli/near_groups.h"
#include "cli/near_groups.h"
#include "engine/geometry.h"
#include "tests/support/picture_files.h"

#include <benchmark/benchmark.h>

#include <QFile>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>

namespace {

using namespace velsaro;

std::string path(const QString& file)
{
    return QFile::encodeName(file).toStdString();
}

KeyCodes randomKey(std::mt19937& random)
{
    KeyCodes codes{};
    for (std::uint8_t& code : codes)
        code = std::uint8_t(random() & 0xff);
    return codes;
}

KeyCodes flipped(KeyCodes codes, int bits, std::mt19937& random)
{
    for (int i = 0; i < bits; ++i) {
        const auto bit = std::size_t(random() % cli::keyBitCount);
        codes[bit / 8] = std::uint8_t(codes[bit / 8] ^ (1u << (bit % 8)));
    }
    return codes;
}

// A catalogue of count random keys, made once per size on first use.
struct SyntheticCatalogue {
    testing::TemporaryFolder folder;
    std::unique_ptr<cli::Catalogue> catalogue;
    std::vector<KeyCodes> keys;
};

SyntheticCatalogue& syntheticCatalogue(std::size_t count)
{
    static std::map<std::size_t, std::unique_ptr<SyntheticCatalogue>> made;
    std::unique_ptr<SyntheticCatalogue>& entry = made[count];
    if (!entry) {
        entry = std::make_unique<SyntheticCatalogue>();
        entry->catalogue = std::make_unique<cli::Catalogue>(path(entry->folder.filePath("claves.db")));
        std::mt19937 random{unsigned(count)};
        for (std::size_t i = 0; i < count; ++i) {
            entry->keys.push_back(randomKey(random));
            entry->catalogue->store("/fotos/" + std::to_string(i) + ".jpg", {1, 1}, entry->keys.back(), {});
            entry->catalogue->commitIfDue();
        }
        entry->catalogue->commit();
    }
    return *entry;
}

// One query: a stored key with a quarter of D bits flipped, so that it finds at least that key.
void search(benchmark::State& state)
{
    const auto count = std::size_t(state.range(0));
    const int distance = int(state.range(1));
    SyntheticCatalogue& synthetic = syntheticCatalogue(count);
    std::mt19937 random(7);
    std::size_t found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const KeyCodes query = flipped(synthetic.keys[random() % count], distance / 4, random);
        state.ResumeTiming();
        found += synthetic.catalogue->find(query, distance).size();
    }
    state.counters["matches"] = double(found) / double(state.iterations());
}

// --compare --near D over count random keys: every key is compared with the group leaders near it,
// not with all of them.
void grouping(benchmark::State& state)
{
    const auto count = std::size_t(state.range(0));
    const int distance = int(state.range(1));
    std::mt19937 random(3);
    std::vector<KeyCodes> keys;
    for (std::size_t i = 0; i < count; ++i)
        keys.push_back(i % 4 == 0 || keys.empty() ? randomKey(random) : flipped(keys.back(), distance / 2, random));
    const std::vector<std::string> paths(count, "/fotos/x.jpg");
    std::size_t groupCount = 0;
    for (auto _ : state) {
        cli::NearGroups groups(distance);
        for (std::size_t i = 0; i < count; ++i)
            groups.add(keys[i], paths[i]);
        groupCount = groups.groups().size();
    }
    state.counters["groups"] = double(groupCount);
}

constexpr int batchSize = 200;

struct JpegFolder {
    testing::TemporaryFolder folder;
    std::string pictures;
    std::string catalogue;
};

const JpegFolder& jpegFolder()
{
    static const std::unique_ptr<JpegFolder> made = [] {
        auto folder = std::make_unique<JpegFolder>();
        for (int i = 0; i < batchSize; ++i)
            folder->folder.write(QString("fotos/%1.jpg").arg(i, 3, 10, QChar('0')),
                                 testing::jpeg(testing::variedPicture(drawingAreaWidth, drawingAreaHeight, unsigned(i))));
        folder->pictures = path(folder->folder.filePath("fotos"));
        folder->catalogue = path(folder->folder.filePath("claves.db"));
        return folder;
    }();
    return *made;
}

int runOnFolder(const JpegFolder& folder)
{
    std::FILE* nowhere = std::fopen("/dev/null", "w");
    const cli::Console console{nowhere, nowhere};
    const cli::Options options = cli::parseArguments({"--catalogue", folder.catalogue, folder.pictures}, 1).options;
    const int status = cli::keyBatch(options, *cli::makeOutput(options, console));
    std::fclose(nowhere);
    return status;
}

void removeCatalogue(const JpegFolder& folder)
{
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(folder.catalogue + suffix);
}

void reportPerPicture(benchmark::State& state)
{
    state.counters["per_picture"] =
        benchmark::Counter(double(state.iterations() * batchSize), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Every picture decoded, keyed and stored in a new catalogue.
void catalogueFirstRun(benchmark::State& state)
{
    const JpegFolder& folder = jpegFolder();
    for (auto _ : state) {
        state.PauseTiming();
        removeCatalogue(folder);
        state.ResumeTiming();
        if (runOnFolder(folder) != 0)
            state.SkipWithError("the run failed");
    }
    reportPerPicture(state);
}

// The same files again: every key comes from the catalogue.
void catalogueRerun(benchmark::State& state)
{
    const JpegFolder& folder = jpegFolder();
    removeCatalogue(folder);
    runOnFolder(folder);
    for (auto _ : state) {
        if (runOnFolder(folder) != 0)
            state.SkipWithError("the run failed");
    }
    reportPerPicture(state);
}

} // namespace

BENCHMARK(search)
    ->ArgNames({"keys", "D"})
    ->ArgsProduct({{10000, 100000, 1000000}, {4, 8, 16}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(grouping)->ArgNames({"keys", "D"})->ArgsProduct({{100000}, {4, 8, 16}})->Unit(benchmark::kMillisecond);
BENCHMARK(catalogueFirstRun)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(catalogueRerun)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

BENCHMARK_MAIN();
