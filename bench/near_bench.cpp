// Near keys at scale, on keys shaped like those of photographs and, as a second case, on uniform
// random keys: the catalogue's search for the keys within D bits of one query and of ten, and of the
// near copies of one among fitted keys with fingerprints (--find --fit), grouping by
// --near D (by keys alone and confirmed by fingerprints), a million keys imported, and velsaro-clave's second run over unchanged JPEG files against
// its first. Beside them the plain scan: every key packed in 32 bytes in memory, compared one by one
// with the CPU's population count.
#include "cli/actions.h"
#include "catalogue/catalogue.h"
#include "catalogue/key_list.h"
#include "cli/near_groups.h"
#include "engine/geometry.h"
#include "tests/catalogue/catalogue_states.h"
#include "tests/support/picture_files.h"
#include "tests/support/real_shaped_keys.h"

#include <benchmark/benchmark.h>

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <numeric>
#include <random>

namespace {

using namespace velsaro;

enum Shape { realShaped = 0, uniform = 1 };

std::string path(const QString& file)
{
    return QFile::encodeName(file).toStdString();
}

std::vector<KeyCodes> uniformKeys(std::size_t count)
{
    std::mt19937 random(11);
    std::vector<KeyCodes> keys(count);
    for (KeyCodes& key : keys)
        for (std::uint8_t& code : key)
            code = std::uint8_t(random());
    return keys;
}

// The first count keys of each shape, made once.
const std::vector<KeyCodes>& keysOf(Shape shape, std::size_t count)
{
    static std::map<std::pair<Shape, std::size_t>, std::vector<KeyCodes>> made;
    std::vector<KeyCodes>& keys = made[{shape, count}];
    if (keys.empty())
        keys = shape == realShaped ? testing::realShapedKeys(count, 7) : uniformKeys(count);
    return keys;
}

// Queries as a user asks them: near copies of stored pictures, a few bits changed.
std::vector<KeyCodes> queriesFor(const std::vector<KeyCodes>& keys, std::size_t count)
{
    std::mt19937 random(5);
    std::vector<KeyCodes> queries;
    for (std::size_t q = 0; q < count; ++q) {
        KeyCodes query = keys[random() % keys.size()];
        query[random() % query.size()] ^= std::uint8_t(1u << (random() % 8));
        queries.push_back(query);
    }
    return queries;
}

std::string catalogueName(const testing::TemporaryFolder& folder)
{
    return path(folder.filePath("claves.db"));
}

// A catalogue of the keys, made once per shape and size by importing them.
Catalogue& catalogueOf(Shape shape, std::size_t count)
{
    struct Made {
        testing::TemporaryFolder folder;
        std::unique_ptr<Catalogue> catalogue;
    };
    static std::map<std::pair<Shape, std::size_t>, std::unique_ptr<Made>> made;
    std::unique_ptr<Made>& entry = made[{shape, count}];
    if (!entry) {
        entry = std::make_unique<Made>();
        const std::string list = path(entry->folder.filePath("claves.txt"));
        {
            std::ofstream lines(list);
            const std::vector<KeyCodes>& keys = keysOf(shape, count);
            for (std::size_t k = 0; k < keys.size(); ++k)
                lines << keyLine(keyText(keys[k]), "/fotos/" + std::to_string(k + 1) + ".jpg");
        }
        Catalogue(catalogueName(entry->folder), CatalogueAccess::ReadWrite).importKeyLists({list});
        entry->catalogue = std::make_unique<Catalogue>(catalogueName(entry->folder), CatalogueAccess::Search);
    }
    return *entry->catalogue;
}

// Counts what a search finds.
class CountedMatches final : public SearchReceiver {
public:
    void startQuery(std::size_t) override {}
    void match(const CatalogueMatch&) override { ++count; }
    std::size_t count = 0;
};

Shape shapeOf(const benchmark::State& state)
{
    return Shape(state.range(0));
}

void search(benchmark::State& state, std::size_t queryCount)
{
    const std::size_t count = std::size_t(state.range(1));
    const int distance = int(state.range(2));
    Catalogue& catalogue = catalogueOf(shapeOf(state), count);
    const std::vector<KeyCodes> queries = queriesFor(keysOf(shapeOf(state), count), queryCount);
    CountedMatches found;
    for (auto _ : state)
        catalogue.find(queries, distance, found);
    state.counters["matches"] = double(found.count) / double(state.iterations() * queryCount);
}

void searchOne(benchmark::State& state)
{
    search(state, 1);
}

void searchTen(benchmark::State& state)
{
    search(state, 10);
}

// A fingerprint as real pictures give them: a hash with as many bits set as clear (the sign of each
// coefficient against their median) and spread grey levels.
Fingerprint randomFingerprint(std::mt19937& random)
{
    Fingerprint fingerprint;
    std::vector<int> bits(63);
    std::iota(bits.begin(), bits.end(), 1);
    std::shuffle(bits.begin(), bits.end(), random);
    for (int b = 0; b < 31; ++b)
        fingerprint.hash |= std::uint64_t(1) << bits[std::size_t(b)];
    for (std::int8_t& grey : fingerprint.grey)
        grey = std::int8_t(int(random() % 161) - 80);
    return fingerprint;
}

// A copy's fingerprint: two hash bits turned and the grey levels a little off.
Fingerprint copiedFingerprint(Fingerprint fingerprint, std::mt19937& random)
{
    fingerprint.hash ^= std::uint64_t(1) << (1 + random() % 63) | std::uint64_t(1) << (1 + random() % 63);
    for (std::int8_t& grey : fingerprint.grey)
        grey = std::int8_t(std::clamp(int(grey) + int(random() % 9) - 4, -127, 127));
    return fingerprint;
}

Key keyWithCodes(const KeyCodes& codes)
{
    Key key;
    for (std::size_t l = 0; l < 3; ++l)
        for (std::size_t j = 0; j < 9; ++j)
            key.levels[l].codes[j] = codes[l * 9 + j];
    return key;
}

// A catalogue of the keys stored as fitted keys with fingerprints, as --catalogue --fit stores them,
// made once per size; and the fingerprints, by picture.
struct FittedCatalogue {
    testing::TemporaryFolder folder;
    std::vector<Fingerprint> fingerprints;
    std::unique_ptr<Catalogue> catalogue;
};

// VELSARO_FITTED_CATALOGUE names a file to make it in and keep, for whole runs of the tool on it.
std::string fittedCatalogueName(const testing::TemporaryFolder& folder)
{
    const char* kept = std::getenv("VELSARO_FITTED_CATALOGUE");
    return kept ? std::string(kept) : catalogueName(folder);
}

FittedCatalogue& fittedCatalogueOf(std::size_t count)
{
    static std::map<std::size_t, std::unique_ptr<FittedCatalogue>> made;
    std::unique_ptr<FittedCatalogue>& entry = made[count];
    if (entry)
        return *entry;
    entry = std::make_unique<FittedCatalogue>();
    std::mt19937 random(3);
    const std::vector<KeyCodes>& keys = keysOf(realShaped, count);
    {
        std::filesystem::remove(fittedCatalogueName(entry->folder));
        Catalogue writing(fittedCatalogueName(entry->folder), CatalogueAccess::ReadWrite);
        for (std::size_t k = 0; k < keys.size(); ++k) {
            entry->fingerprints.push_back(randomFingerprint(random));
            const FileIdentity identity{std::int64_t(k), 1, 1, std::int64_t(k), 1, 1};
            writing.store("/fotos/" + std::to_string(k + 1) + ".jpg", identity, KeyKind::Fitted, keyWithCodes(keys[k]),
                          entry->fingerprints.back());
            writing.commitIfDue();
        }
    }
    // Their paths name no file: listed as imported records are, as the plain search's imported keys.
    testing::executeSql(fittedCatalogueName(entry->folder), "UPDATE pictures SET size = NULL");
    entry->catalogue = std::make_unique<Catalogue>(fittedCatalogueName(entry->folder), CatalogueAccess::Search);
    return *entry;
}

// --find --fit: one query, a copy of a stored picture, against the fitted keys and their hashes.
void searchFitted(benchmark::State& state)
{
    const std::size_t count = std::size_t(state.range(1));
    FittedCatalogue& stored = fittedCatalogueOf(count);
    std::mt19937 random(5);
    const std::size_t copied = random() % count;
    const std::vector<CatalogueQuery> query{{queriesFor(keysOf(realShaped, count), 1)[0],
                                             copiedFingerprint(stored.fingerprints[copied], random)}};
    CountedMatches found;
    for (auto _ : state)
        stored.catalogue->find(query, int(state.range(2)), KeyKind::Fitted, found);
    state.counters["matches"] = double(found.count) / double(state.iterations());
}

// Every key packed in 32 bytes in memory, compared with the query one by one.
void plainScan(benchmark::State& state)
{
    const std::vector<KeyCodes>& keys = keysOf(shapeOf(state), std::size_t(state.range(1)));
    const int distance = int(state.range(2));
    std::vector<PackedKey> packed;
    for (const KeyCodes& key : keys)
        packed.push_back(packedKey(key));
    const PackedKey query = packedKey(queriesFor(keys, 1)[0]);
    std::size_t found = 0;
    for (auto _ : state) {
        for (const PackedKey& key : packed)
            found += keyDistance(key, query) <= distance;
        benchmark::DoNotOptimize(found);
    }
}

// On one thread and on two (jobs).
void grouping(benchmark::State& state)
{
    std::vector<cli::KeyedPicture> pictures;
    for (const KeyCodes& key : keysOf(shapeOf(state), std::size_t(state.range(1))))
        pictures.push_back({key, "x.jpg"});
    std::size_t groupCount = 0;
    for (auto _ : state)
        groupCount = cli::nearGroups(pictures, int(state.range(2)), int(state.range(3))).size();
    state.counters["groups"] = double(groupCount);
}

// A near copy: cut by a pixel at the top left (8 of the drawing area's), 5 % brighter, or with noise of
// sigma 2.
QImage copyOf(std::mt19937& random, const QImage& picture)
{
    const int kind = int(random() % 3);
    if (kind == 0)
        return picture.copy(1, 1, picture.width() - 1, picture.height() - 1);
    QImage copy = picture;
    std::normal_distribution<double> noise(0, 2);
    for (int y = 0; y < copy.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
        for (int x = 0; x < copy.width(); ++x) {
            const auto changed = [&](int level) {
                return std::clamp(int(std::lround(kind == 1 ? level * 1.05 : level + noise(random))), 0, 255);
            };
            line[x] = qRgb(changed(qRed(line[x])), changed(qGreen(line[x])), changed(qBlue(line[x])));
        }
    }
    return copy;
}

// Fingerprints shaped like those of photographs, one a key of the real-shaped keys, made once: an
// original's of a photo-like picture of its own (54 x 63, an eighth of the drawing area each way), a
// near copy's of its original's picture changed as copyOf does; so near keys come with near
// fingerprints, as in a collection, and keys equal by chance with unrelated ones. The copies are made
// with their original: painting the same picture twice can differ by a few grey levels.
const std::vector<Fingerprint>& fingerprintsFor(std::size_t count)
{
    static std::vector<Fingerprint> made;
    if (made.size() >= count)
        return made;
    std::vector<std::size_t> originals = testing::realShapedKeysWithOrigins(count, 7).origins;
    std::vector<std::vector<std::size_t>> copies(count);
    for (std::size_t i = 0; i < count; ++i) {
        originals[i] = originals[originals[i]];
        if (originals[i] != i)
            copies[originals[i]].push_back(i);
    }
    made.assign(count, {});
    for (std::size_t i = 0; i < count; ++i) {
        if (originals[i] != i)
            continue;
        const QImage picture = testing::photoLikePicture(54, 63, unsigned(100 + i));
        made[i] = fingerprintOf(picture);
        for (std::size_t copy : copies[i]) {
            std::mt19937 random{unsigned(copy)};
            made[copy] = fingerprintOf(copyOf(random, picture));
        }
    }
    return made;
}

// --compare --near D as the tool groups: each picture confirmed by its fingerprint.
void confirmedGrouping(benchmark::State& state)
{
    const std::vector<KeyCodes>& keys = keysOf(shapeOf(state), std::size_t(state.range(1)));
    const std::vector<Fingerprint>& fingerprints = fingerprintsFor(keys.size());
    std::vector<cli::KeyedPicture> pictures;
    for (std::size_t i = 0; i < keys.size(); ++i)
        pictures.push_back({keys[i], "x.jpg", fingerprints[i]});
    std::size_t groupCount = 0;
    for (auto _ : state)
        groupCount = cli::confirmedNearGroups(pictures, int(state.range(2)), int(state.range(3))).size();
    state.counters["groups"] = double(groupCount);
}

// The same groups by comparing each key with every group's first key in turn.
void plainGrouping(benchmark::State& state)
{
    const std::vector<KeyCodes>& keys = keysOf(shapeOf(state), std::size_t(state.range(1)));
    const int distance = int(state.range(2));
    std::size_t groupCount = 0;
    for (auto _ : state) {
        std::vector<PackedKey> leaders;
        for (const KeyCodes& codes : keys) {
            const PackedKey key = packedKey(codes);
            const auto near = [&](const PackedKey& leader) { return keyDistance(leader, key) <= distance; };
            if (std::find_if(leaders.begin(), leaders.end(), near) == leaders.end())
                leaders.push_back(key);
        }
        groupCount = leaders.size();
    }
    state.counters["groups"] = double(groupCount);
}

// velsaro-clave --catalogue FILE --import LIST, LIST a million key lines.
void importMillion(benchmark::State& state)
{
    const testing::TemporaryFolder folder;
    const std::string list = path(folder.filePath("claves.txt"));
    {
        std::ofstream lines(list);
        const std::vector<KeyCodes>& keys = keysOf(realShaped, 1000000);
        for (std::size_t i = 0; i < keys.size(); ++i)
            lines << keyText(keys[i]) << "  /fotos/" << i % 100 << "/" << i << ".jpg\n";
    }
    std::FILE* nowhere = std::fopen("/dev/null", "w");
    const cli::Console console{nowhere, nowhere};
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(catalogueName(folder));
        state.ResumeTiming();
        const cli::Options options = cli::parseArguments({"--catalogue", catalogueName(folder), "--import", list}, 1).options;
        if (cli::importKeyLists(options, *cli::makeOutput(options, console)) != 0)
            state.SkipWithError("the import failed");
    }
    std::fclose(nowhere);
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
        folder->catalogue = catalogueName(folder->folder);
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
        std::filesystem::remove(folder.catalogue);
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
    std::filesystem::remove(folder.catalogue);
    runOnFolder(folder);
    for (auto _ : state) {
        if (runOnFolder(folder) != 0)
            state.SkipWithError("the run failed");
    }
    reportPerPicture(state);
}

void printSkew()
{
    for (const auto& [shape, name] : {std::pair{realShaped, "real-shaped"}, {uniform, "uniform"}})
        std::fprintf(stderr, "%s keys (shape 0 real-shaped, 1 uniform) %d: %s\n", name, int(shape),
                     testing::describe(testing::keySkew(keysOf(shape, 100000))).c_str());
}

} // namespace

BENCHMARK(searchOne)
    ->ArgNames({"shape", "keys", "D"})
    ->ArgsProduct({{realShaped}, {10000, 100000, 1000000}, {0, 8, 16, 32}})
    ->Args({uniform, 1000000, 16})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(searchFitted)
    ->ArgNames({"shape", "keys", "D"})
    ->ArgsProduct({{realShaped}, {1000000}, {0, 16, 32}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(searchTen)->ArgNames({"shape", "keys", "D"})->Args({realShaped, 1000000, 16})->Args({realShaped, 1000000, 32})->Unit(benchmark::kMillisecond);
BENCHMARK(plainScan)->ArgNames({"shape", "keys", "D"})->Args({realShaped, 1000000, 16})->Args({uniform, 1000000, 16})->Unit(benchmark::kMillisecond);
BENCHMARK(grouping)
    ->ArgNames({"shape", "keys", "D", "jobs"})
    ->ArgsProduct({{realShaped}, {100000, 1000000}, {8, 16, 30, 32}, {1, 2}})
    ->Args({uniform, 100000, 16, 1})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(confirmedGrouping)
    ->ArgNames({"shape", "keys", "D", "jobs"})
    ->ArgsProduct({{realShaped}, {100000}, {8, 16, 32}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(plainGrouping)
    ->ArgNames({"shape", "keys", "D"})
    ->ArgsProduct({{realShaped}, {100000}, {8, 16, 30}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(importMillion)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(catalogueFirstRun)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(catalogueRerun)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    cli::keepPictureMemory(); // as velsaro-clave does
    printSkew();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
