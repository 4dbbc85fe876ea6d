// velsaro-clave with a catalogue, as a user runs it: what a second run decodes, a run killed half-way,
// two runs at once, files that are not catalogues, and the near-key options on real pictures.
#include "tests/catalogue/catalogue_states.h"
#include "tests/cli/clave_process.h"
#include "tests/support/picture_files.h"
#include "tests/support/user_without_rights.h"

#include "engine/key_distance.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

namespace velsaro {
namespace {

using namespace velsaro::testing;

std::string path(const QString& file)
{
    return QFile::encodeName(file).toStdString();
}

std::string bytesOf(const std::string& file)
{
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

void executeSql(const std::string& file, const std::string& sql)
{
    std::string why;
    EXPECT_TRUE(testing::executeSql(file, sql, &why)) << why;
}

// Writes other bytes of the same length into the file and puts its modification time back, as cp -p,
// rsync -t and tar leave a file they replace.
void replaceKeepingSizeAndTime(const std::string& file, const QByteArray& bytes)
{
    struct stat before {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    ASSERT_EQ(std::size_t(before.st_size), std::size_t(bytes.size()));
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes.toStdString();
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

// Zeroes every stored picture's level averages: in --json, a picture whose key then comes from the
// catalogue shows matrices P of zeros, where one keyed from its file shows its own.
void markStoredKeys(const std::string& catalogue)
{
    executeSql(catalogue, "UPDATE pictures SET averages = zeroblob(216)");
}

bool cameFromCatalogue(const QJsonValue& picture)
{
    for (const QJsonValue& level : picture["levels"].toArray())
        for (const QJsonValue& row : level["matrizP"].toArray())
            if (row.toArray() != QJsonArray({0, 0, 0}))
                return false;
    return true;
}

QJsonArray jsonPictures(const ClaveRun& run)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object()["pictures"].toArray();
}

// A file's times must lie a little in the past before a catalogue trusts them: one changed within the
// time granularity of the moment it is keyed is checked by its content next time.
void letTimesSettle()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

class CatalogueToolTest : public ::testing::Test {
protected:
    std::vector<std::string> pictures(const QString& prefix, int count, unsigned firstSeed = 0)
    {
        std::vector<std::string> files;
        for (int i = 0; i < count; ++i)
            files.push_back(path(folder_.write(
                prefix + QString::number(i) + ".jpg",
                jpeg(variedPicture(drawingAreaWidth, drawingAreaHeight, firstSeed + unsigned(i))))));
        return files;
    }

    std::vector<std::string> withCatalogue(std::vector<std::string> arguments) const
    {
        arguments.insert(arguments.begin(), {"--catalogue", catalogue_});
        return arguments;
    }

    TemporaryFolder folder_;
    std::string catalogue_ = path(folder_.filePath("claves.db"));
};

TEST_F(CatalogueToolTest, TakesUnchangedFilesFromTheCatalogueAndKeysFilesReplacedInPlaceAgain)
{
    // Bitmaps of one size, so that one can be replaced by another picture of the very same length.
    std::vector<std::string> files;
    for (unsigned seed = 0; seed < 3; ++seed)
        files.push_back(path(folder_.write(QString("p%1.bmp").arg(seed), bmp24(variedPicture(430, 503, seed)))));
    letTimesSettle();
    ASSERT_EQ(runClave(withCatalogue(files)).exitCode, 0);
    markStoredKeys(catalogue_);
    replaceKeepingSizeAndTime(files[2], bmp24(variedPicture(430, 503, 99)));

    std::vector<std::string> arguments = {"--json"};
    arguments.insert(arguments.end(), files.begin(), files.end());
    const QJsonArray plain = jsonPictures(runClave(arguments));
    const QJsonArray second = jsonPictures(runClave(withCatalogue(arguments)));

    ASSERT_EQ(second.size(), 3);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(cameFromCatalogue(second[i])) << i;
        EXPECT_EQ(second[i]["key"], plain[i]["key"]);
    }
    EXPECT_EQ(second[2], plain[2]);
}

TEST_F(CatalogueToolTest, RunKilledHalfWayLosesNothingKeyedAndTheNextRunResumes)
{
    // Enough small pictures that the run is still going when its first batch is committed.
    constexpr int count = 3000;
    const QByteArray small = bmp24(solidPicture(20, 20, Qt::black));
    for (int i = 0; i < count; ++i)
        folder_.write(QString("lote/%1.bmp").arg(i, 4, 10, QChar('0')), small);
    const std::string batch = path(folder_.filePath("lote"));
    const ClaveRun plain = runClave({batch});
    letTimesSettle();

    const int run = startClave(withCatalogue({"-j1", batch}), path(folder_.filePath("killed.out")));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (queryNumber(catalogue_, "SELECT count(*) FROM pictures") < 1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    kill(run, SIGKILL);
    const int killedStatus = waitForClave(run);
    const std::vector<std::string> kept = cataloguedPaths(catalogue_);
    markStoredKeys(catalogue_);
    const ClaveRun resumed = runClave(withCatalogue({batch}));
    const QJsonArray resumedPictures = jsonPictures(runClave(withCatalogue({"--json", batch})));

    EXPECT_EQ(killedStatus, -1);
    EXPECT_GE(kept.size(), 1u);
    EXPECT_LT(kept.size(), std::size_t(count));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err.substr(0, 500);
    EXPECT_EQ(resumed.out, plain.out);
    EXPECT_EQ(queryNumber(catalogue_, "SELECT count(*) FROM pictures"), count);
    // What the killed run committed came from the catalogue, not from decoding.
    const std::set<std::string> keptPaths(kept.begin(), kept.end());
    for (const QJsonValue& picture : resumedPictures) {
        if (keptPaths.count(picture["path"].toString().toStdString()) > 0) {
            EXPECT_TRUE(cameFromCatalogue(picture)) << picture["path"].toString().toStdString();
        }
    }
}

TEST_F(CatalogueToolTest, TwoRunsAtOnceBothSucceedAndKeepEveryPicture)
{
    const std::vector<std::string> files = pictures("c", 24);
    std::vector<std::string> forward = {"-j2"};
    forward.insert(forward.end(), files.begin(), files.end());
    std::vector<std::string> backward = {"-j2"};
    backward.insert(backward.end(), files.rbegin(), files.rend());
    const ClaveRun plainForward = runClave(forward);

    const std::string forwardOut = path(folder_.filePath("forward.out"));
    const std::string backwardOut = path(folder_.filePath("backward.out"));
    const int one = startClave(withCatalogue(forward), forwardOut);
    const int other = startClave(withCatalogue(backward), backwardOut);

    EXPECT_EQ(waitForClave(one), 0) << bytesOf(forwardOut);
    EXPECT_EQ(waitForClave(other), 0) << bytesOf(backwardOut);
    EXPECT_EQ(bytesOf(forwardOut), plainForward.out);
    EXPECT_EQ(linesOf(bytesOf(backwardOut)).size(), files.size());
    EXPECT_EQ(queryNumber(catalogue_, "SELECT count(*) FROM pictures"), 24);
    EXPECT_EQ(queryNumber(catalogue_, "SELECT count(*) FROM pragma_integrity_check WHERE integrity_check = 'ok'"), 1);
}

// The bytes of a file and of its log and shared-memory files, none for those that do not exist.
std::vector<std::optional<std::string>> withSideFiles(const std::string& file)
{
    std::vector<std::optional<std::string>> bytes;
    for (const char* suffix : {"", "-wal", "-shm"})
        bytes.push_back(QFile::exists(QFile::decodeName((file + suffix).c_str())) ? std::optional(bytesOf(file + suffix))
                                                                                  : std::nullopt);
    return bytes;
}

TEST_F(CatalogueToolTest, RefusesForeignFilesAndLaterCataloguesLeavingThemAndTheirSideFilesUntouched)
{
    const std::string picture = pictures("d", 1)[0];
    const std::string text = path(folder_.write("notas.db", "una lista de la compra, no un catálogo\n"));
    const std::string otherDatabase = path(folder_.filePath("otra.db"));
    executeSql(otherDatabase, "CREATE TABLE agenda (nombre TEXT); INSERT INTO agenda VALUES ('Ana')");
    // Another program's database whose last commits are still in its log, as while that program runs.
    const std::string logged = path(folder_.filePath("registro.db"));
    ASSERT_TRUE(leaveCommitInLog(logged, "CREATE TABLE agenda (nombre TEXT); INSERT INTO agenda VALUES ('Ana')"));
    ASSERT_TRUE(withSideFiles(logged)[1]);
    ASSERT_EQ(runClave(withCatalogue({picture})).exitCode, 0);
    executeSql(catalogue_, "PRAGMA user_version = 4");

    for (const std::string& file : {text, otherDatabase, logged, catalogue_}) {
        const std::vector<std::optional<std::string>> before = withSideFiles(file);
        const std::string expected =
            file == catalogue_ ? "el catálogo es de una versión posterior de velsaro-clave (formato 4; esta "
                                 "versión lee el formato 3); no se ha modificado"
                               : "no es un catálogo de velsaro-clave; no se ha modificado";
        for (const std::vector<std::string>& arguments :
             {std::vector<std::string>{"--catalogue", file, picture}, {"--catalogue", file, "--find", picture},
              {"--catalogue", path(folder_.filePath("nuevo.db")), "--merge", file}}) {
            const ClaveRun run = runClave(arguments);
            EXPECT_EQ(run.exitCode, 3) << file;
            EXPECT_EQ(run.err, "velsaro-clave: " + file + ": " + expected + "\n");
        }
        EXPECT_EQ(withSideFiles(file), before) << file;
    }
}

// Numbers the catalogue never gives would be read as other pictures' or past the end of a row.
TEST_F(CatalogueToolTest, RefusesAsDamagedACatalogueWithNumbersOutOfRangeOrARowCutShort)
{
    const std::string picture = pictures("n", 1)[0];
    ASSERT_EQ(runClave(withCatalogue({"--fit", picture})).exitCode, 0);
    const std::string intact = bytesOf(catalogue_);
    for (const char* damage : {"UPDATE pictures SET id = -5", "UPDATE fitted_key_blocks SET block = 1 << 62"}) {
        std::ofstream(catalogue_, std::ios::binary) << intact;
        executeSql(catalogue_, damage);
        const std::string damaged = bytesOf(catalogue_);
        for (const char* action : {"--fit", "--find"}) { // written to, and only read
            const ClaveRun run = runClave(withCatalogue({action, picture}));
            EXPECT_EQ(run.exitCode, 3) << damage;
            EXPECT_NE(run.err.find("dañado: guarda números de imagen fuera de rango"), std::string::npos);
        }
        EXPECT_EQ(bytesOf(catalogue_), damaged) << damage;
    }
    // A row cut short is met where it is written to.
    std::ofstream(catalogue_, std::ios::binary) << intact;
    executeSql(catalogue_, "UPDATE fitted_key_blocks SET keys = x'00'");
    const ClaveRun cut = runClave(withCatalogue({"--fit", pictures("c", 1)[0]}));
    EXPECT_EQ(cut.exitCode, 3);
    EXPECT_NE(cut.err.find("dañado: una de sus filas es más corta de lo que debe"), std::string::npos);
}

TEST_F(CatalogueToolTest, RefusesAPipeAtOnceTakesEveryNameAsAFileAndLeavesNoSideFiles)
{
    const std::string picture = pictures("g", 1)[0];
    const std::string pipe = path(folder_.filePath("tubo.db"));
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder_.path());
    const ClaveRun uri = runClave({"--catalogue", "file:zz.db?mode=memory", picture});
    QDir::setCurrent(previous);
    const std::string named = path(folder_.filePath("file:zz.db?mode=memory"));

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--catalogue", pipe, picture}, {"--catalogue", pipe, "--find", picture}}) {
        const ClaveRun run = runClave(arguments);
        EXPECT_EQ(run.exitCode, 3);
        EXPECT_EQ(run.err, "velsaro-clave: " + pipe + ": no es un archivo regular; no se ha modificado\n");
    }
    EXPECT_EQ(uri.exitCode, 0) << uri.err;
    EXPECT_EQ(queryNumber(named, "SELECT count(*) FROM pictures"), 1);
    // A path beginning "//" is the same file, not a host.
    EXPECT_EQ(runClave({"--catalogue", std::string("/").append(path(folder_.filePath("doble.db"))), picture}).exitCode, 0);
    EXPECT_EQ(queryNumber(path(folder_.filePath("doble.db")), "SELECT count(*) FROM pictures"), 1);
    EXPECT_EQ(runClave({"--catalogue", named, "--find", picture}).exitCode, 0);
    EXPECT_EQ(runClave(withCatalogue({"--merge", named})).exitCode, 0);
    for (const std::string& file : {named, catalogue_})
        EXPECT_FALSE(withSideFiles(file)[1] || withSideFiles(file)[2]) << file;
}

TEST_F(CatalogueToolTest, NamesTheCatalogueItCannotWriteWithTheSystemsReason)
{
    if (!UserWithoutRights::isPossible())
        GTEST_SKIP() << "this process is root and there is no user \"nobody\" to run the tool as";
    const std::string picture = pictures("h", 1)[0];
    const std::string part = path(folder_.filePath("parte.db"));
    ASSERT_EQ(runClave({"--catalogue", part, picture}).exitCode, 0);
    ASSERT_EQ(runClave(withCatalogue({picture})).exitCode, 0);
    QFile::setPermissions(folder_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                               QFileDevice::ReadOther | QFileDevice::ExeOther);
    QFile::setPermissions(QFile::decodeName(catalogue_.c_str()), QFileDevice::ReadOwner | QFileDevice::ReadOther);

    for (const std::vector<std::string>& arguments : {withCatalogue({"--merge", part}), withCatalogue({picture})}) {
        const ClaveRun run = runClaveWithoutRights(arguments);
        EXPECT_EQ(run.exitCode, 3);
        EXPECT_EQ(run.err, "velsaro-clave: " + catalogue_ + ": no se puede escribir en el catálogo (Permission denied)\n");
    }
}

// The key printed first on a plain run's line, as codes.
KeyCodes keyCodesOfRun(const std::string& file)
{
    const std::string line = linesOf(runClave({file}).out).at(0);
    std::istringstream codes(line.substr(line.front() == '\\' ? 1 : 0, line.find("  ")));
    KeyCodes key{};
    for (std::uint8_t& code : key) {
        int value = 0;
        char dot = 0;
        codes >> value >> dot;
        code = std::uint8_t(value);
    }
    return key;
}

TEST_F(CatalogueToolTest, FindsMergedPicturesByTheirFingerprintsWithTheirExactPathsAndNoUnrelatedOneWithinD)
{
    const std::string odd = path(folder_.write("cara \"1\"\n\xff.jpg",
                                               jpeg(variedPicture(drawingAreaWidth, drawingAreaHeight, 7))));
    const std::string other = pictures("e", 1, 8)[0];
    const std::string partOne = path(folder_.filePath("parte1.db"));
    const std::string partTwo = path(folder_.filePath("parte2.db"));
    ASSERT_EQ(runClave({"--catalogue", partOne, odd}).exitCode, 0);
    ASSERT_EQ(runClave({"--catalogue", partTwo, other}).exitCode, 0);
    ASSERT_EQ(runClave({"--catalogue", catalogue_, "--merge", partOne, partTwo}).exitCode, 0);
    std::string listedOdd = odd;
    listedOdd.replace(listedOdd.find('\n'), 1, "\\n");

    const ClaveRun found = runClave(withCatalogue({"--find", "--near", "216", odd}));
    const ClaveRun nearest = runClave(withCatalogue({"--find", "--json", other}));

    EXPECT_EQ(found.exitCode, 0) << found.err;
    // The merge carried the fingerprints: the copy is confirmed, and the other picture, within D = 216
    // by its key, is not a copy.
    const std::vector<std::string> lines = linesOf(found.out);
    ASSERT_EQ(lines.size(), 2u) << found.out;
    EXPECT_EQ(lines[1], "    0   0  1.000  \\" + listedOdd);
    const QJsonObject query = QJsonDocument::fromJson(QByteArray::fromStdString(nearest.out))
                                  .object()["queries"].toArray()[0].toObject();
    EXPECT_EQ(query["path"].toString().toStdString(), other);
    EXPECT_EQ(query["matches"].toArray(), QJsonArray({QJsonObject{{"path", QString::fromStdString(other)},
                                                                   {"distance", 0},
                                                                   {"hash_distance", 0},
                                                                   {"grey_correlation", 1.0}}}));
}

TEST_F(CatalogueToolTest, KeepsRealPathsThroughLinksAndFindsAndPrunesOnlyFilesStillThere)
{
    // a/link leads to other/deep: "a/link/.." is other, not a.
    const std::string picture = pictures("other/i", 1, 5)[0];
    const std::string gone = pictures("other/gone", 1, 5)[0];
    const std::string nowFolder = pictures("other/carpeta", 1, 5)[0];
    folder_.makeFolder("other/deep");
    folder_.makeFolder("a");
    ASSERT_EQ(symlink("../other/deep", path(folder_.filePath("a/link")).c_str()), 0);
    const std::string throughLink = path(folder_.filePath("a/link/../i0.jpg"));
    letTimesSettle();
    ASSERT_EQ(runClave(withCatalogue({throughLink, gone, nowFolder})).exitCode, 0);
    ASSERT_EQ(std::remove(gone.c_str()), 0);
    ASSERT_EQ(std::remove(nowFolder.c_str()), 0);
    ASSERT_EQ(mkdir(nowFolder.c_str(), 0755), 0);

    const ClaveRun found = runClave(withCatalogue({"--find", picture}));
    const ClaveRun pruned = runClave(withCatalogue({"--prune"}));

    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(linesOf(found.out), (std::vector<std::string>{linesOf(runClave({picture}).out)[0], "    0   0  1.000  " + picture}));
    EXPECT_EQ(pruned.out, "Imágenes quitadas del catálogo: 2\n");
    EXPECT_EQ(cataloguedPaths(catalogue_), std::vector<std::string>{picture});
}

// A catalogue as the first format wrote it: keys in their rows, indexed by 12-bit segments.
void writeFirstFormatCatalogue(const std::string& file, const std::vector<std::pair<std::string, KeyCodes>>& pictures)
{
    std::string sql = "CREATE TABLE pictures (path BLOB PRIMARY KEY NOT NULL, size INTEGER NOT NULL, "
                      "modified INTEGER NOT NULL, codes BLOB NOT NULL, averages BLOB NOT NULL";
    for (int s = 0; s < 18; ++s)
        sql += ", s" + std::to_string(s) + " INTEGER NOT NULL";
    sql += "); CREATE INDEX pictures_s0 ON pictures(s0); PRAGMA application_id = 1447251030; "
           "PRAGMA user_version = 1; PRAGMA journal_mode = WAL;";
    for (const auto& [picture, codes] : pictures) {
        struct stat status {};
        stat(picture.c_str(), &status);
        std::string hex;
        for (std::uint8_t code : codes)
            hex += QByteArray(1, char(code)).toHex().toStdString();
        sql += "INSERT INTO pictures VALUES ('" + picture + "', " + std::to_string(status.st_size) + ", " +
               std::to_string(std::int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec) + ", x'" +
               hex + "', zeroblob(216)";
        for (int s = 0; s < 18; ++s)
            sql += ", 0";
        sql += ");";
    }
    executeSql(file, sql);
}

TEST_F(CatalogueToolTest, UpgradesAFirstFormatCatalogueInPlaceKeepingEveryKeyAndPath)
{
    const std::vector<std::string> files = pictures("u", 3, 40);
    KeyCodes wrong{};
    writeFirstFormatCatalogue(catalogue_, {{files[0], keyCodesOfRun(files[0])}, {files[1], wrong}});
    // A part of the first format, merged: it is only read, and its records keep size and time.
    const std::string part = path(folder_.filePath("parte.db"));
    writeFirstFormatCatalogue(part, {{files[2], keyCodesOfRun(files[2])}});
    const std::string partBytes = bytesOf(part);
    const std::string merged = path(folder_.filePath("unido.db"));
    ASSERT_EQ(runClave({"--catalogue", merged, "--merge", part}).exitCode, 0);
    std::remove(files[2].c_str());

    const ClaveRun found = runClave(withCatalogue({"--find", files[0]}));
    const ClaveRun keyed = runClave(withCatalogue({files[1]}));
    const ClaveRun pruned = runClave({"--catalogue", merged, "--prune"});

    ASSERT_EQ(linesOf(found.out).size(), 2u) << found.err;
    EXPECT_EQ(linesOf(found.out)[1], "    0  solo por la clave  " + files[0]);
    EXPECT_EQ(queryNumber(catalogue_, "PRAGMA user_version"), 3);
    EXPECT_EQ(cataloguedPaths(catalogue_), std::vector<std::string>(files.begin(), files.begin() + 2));
    // Its record held no identity of the file: it is checked by its content once.
    EXPECT_EQ(keyed.out, runClave({files[1]}).out);
    EXPECT_EQ(bytesOf(part), partBytes);
    EXPECT_EQ(pruned.out, "Imágenes quitadas del catálogo: 1\n");
}

TEST_F(CatalogueToolTest, UpgradesASecondFormatCatalogueKeepingItsKeysAndFingerprintsThePicturesItMeets)
{
    const std::vector<std::string> files = pictures("v", 2, 70);
    letTimesSettle();
    ASSERT_EQ(runClave(withCatalogue(files)).exitCode, 0);
    // The second format: no fingerprints, no fitted keys.
    executeSql(catalogue_, "ALTER TABLE pictures DROP COLUMN fingerprint; ALTER TABLE pictures DROP COLUMN "
                           "fitted_averages; ALTER TABLE pictures DROP COLUMN fitted_fingerprint; DROP TABLE "
                           "fitted_key_blocks; DROP TABLE hash_blocks; DROP TABLE fitted_hash_blocks; DROP TABLE "
                           "sketch_blocks; DROP TABLE fitted_sketch_blocks; "
                           "PRAGMA user_version = 2");
    markStoredKeys(catalogue_);

    const QJsonArray keyed = jsonPictures(runClave(withCatalogue({"--json", files[0]})));
    const std::int64_t fingerprinted = queryNumber(catalogue_, "SELECT count(fingerprint) FROM pictures");
    markStoredKeys(catalogue_);
    const QJsonArray again = jsonPictures(runClave(withCatalogue({"--json", files[0]})));
    const ClaveRun found = runClave(withCatalogue({"--find", files[1]}));

    EXPECT_EQ(queryNumber(catalogue_, "PRAGMA user_version"), 3);
    // Met again without a fingerprint, the file is read once; then its key comes from the catalogue.
    ASSERT_EQ(keyed.size(), 1);
    EXPECT_FALSE(cameFromCatalogue(keyed[0]));
    EXPECT_EQ(fingerprinted, 1);
    EXPECT_TRUE(cameFromCatalogue(again[0]));
    EXPECT_EQ(again[0]["key"], keyed[0]["key"]);
    // The other record kept its key, matched by it alone until its file is met.
    EXPECT_EQ(linesOf(found.out), (std::vector<std::string>{linesOf(runClave({files[1]}).out)[0],
                                                            "    0  solo por la clave  " + files[1]}));
}

TEST_F(CatalogueToolTest, KeysFittedPicturesOnceAndFindsAResizedCopyByItsHashBeyondD)
{
    const QImage original = variedPicture(640, 720, 80);
    const std::string large = path(folder_.write("grande.jpg", jpeg(original)));
    const std::string small = path(folder_.write("pequena.jpg", jpeg(original.scaled(320, 360, Qt::IgnoreAspectRatio,
                                                                                       Qt::SmoothTransformation))));
    const std::string other = pictures("o", 1, 81)[0];
    letTimesSettle();
    ASSERT_EQ(runClave(withCatalogue({"--fit", large, other})).exitCode, 0);
    executeSql(catalogue_, "UPDATE pictures SET fitted_averages = zeroblob(216)");

    const QJsonArray again = jsonPictures(runClave(withCatalogue({"--fit", "--json", large, other})));
    const ClaveRun found = runClave(withCatalogue({"--fit", "--find", "--json", small}));

    ASSERT_EQ(again.size(), 2);
    EXPECT_TRUE(cameFromCatalogue(again[0]));
    EXPECT_TRUE(cameFromCatalogue(again[1]));
    const QJsonArray matches = QJsonDocument::fromJson(QByteArray::fromStdString(found.out))
                                   .object()["queries"].toArray()[0].toObject()["matches"].toArray();
    ASSERT_EQ(matches.size(), 1) << found.out;
    EXPECT_EQ(matches[0]["path"].toString().toStdString(), large);
    EXPECT_GT(matches[0]["distance"].toInt(), 0); // beyond --near 0
    EXPECT_LE(matches[0]["hash_distance"].toInt(), 8);
}

// Nothing to search is said, not answered as if no picture were near.
TEST_F(CatalogueToolTest, RefusesToSearchFittedKeysInACatalogueKeyedWithoutThem)
{
    const std::vector<std::string> files = pictures("p", 1, 82);
    ASSERT_EQ(runClave(withCatalogue({files[0]})).exitCode, 0);

    const ClaveRun found = runClave(withCatalogue({"--fit", "--find", files[0]}));

    EXPECT_EQ(found.exitCode, 3);
    EXPECT_NE(found.err.find("el catálogo no guarda claves ajustadas"), std::string::npos) << found.err;
}

TEST_F(CatalogueToolTest, ImportsTheToolsOwnOutputAndNothingFromAListWithAForeignLine)
{
    const std::vector<std::string> files = pictures("i", 3, 50);
    const std::string odd = path(folder_.write("con\\barra.jpg", jpeg(variedPicture(430, 503, 53))));
    const std::string summary = path(folder_.filePath("parte1.txt"));
    std::ofstream(summary) << runClave({"--compare", "--near", "8", "--matrix", files[0], files[1], odd}).out;
    // A key that is not the file's: a run that meets the file keys it anew, as it has no identity.
    std::ofstream(path(folder_.filePath("parte2.txt"))) << std::string(27 * 2, '0').replace(0, 54, [] {
        std::string zeros;
        for (int c = 0; c < 27; ++c)
            zeros += "0.";
        return zeros;
    }()) << "  " << files[2] << "\n";
    const std::string bad = path(folder_.write("mala.txt", QByteArray::fromStdString(runClave({files[0]}).out + "\nhola\n")));

    const ClaveRun refused = runClave(withCatalogue({"--import", summary, bad}));
    const std::int64_t afterRefusal = queryNumber(catalogue_, "SELECT count(*) FROM pictures");
    const ClaveRun imported = runClave(withCatalogue({"--import", summary, path(folder_.filePath("parte2.txt"))}));
    std::remove(files[1].c_str());
    const ClaveRun found = runClave(withCatalogue({"--find", "--near", "216", files[0]}));
    const ClaveRun keyed = runClave(withCatalogue({files[2]}));

    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "velsaro-clave: " + bad + ":3: la línea no es «CLAVE  RUTA» como las escribe "
                                                     "velsaro-clave; no se ha importado nada\n");
    EXPECT_EQ(afterRefusal, 0);
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out, "Imágenes importadas al catálogo: 4\n");
    // Imported records are listed as they are, the one whose file is gone too, matched by key alone.
    ASSERT_EQ(linesOf(found.out).size(), 5u) << found.out;
    EXPECT_EQ(linesOf(found.out)[1], "    0  solo por la clave  " + files[0]);
    EXPECT_EQ(keyed.out, runClave({files[2]}).out);
}

TEST_F(CatalogueToolTest, ComparesARecordImportedOverAKeyedOneByItsKeyAlone)
{
    // A flat picture's hash has no bit set, a varied one's about half of them: too far for any
    // confirmation, were the flat one's hash still taken for the record's.
    const std::vector<std::string> files = {path(folder_.write("plana.jpg", jpeg(solidPicture(430, 503, Qt::darkCyan)))),
                                            pictures("k", 1, 90)[0]};
    ASSERT_EQ(runClave(withCatalogue({files[0]})).exitCode, 0);
    // The list gives the first file the second one's key: the first file's fingerprint goes with it.
    std::string line = runClave({files[1]}).out;
    line.replace(line.find(files[1]), files[1].size(), files[0]);
    ASSERT_EQ(runClave(withCatalogue({"--import", path(folder_.write("lista.txt", QByteArray::fromStdString(line)))})).exitCode, 0);

    const ClaveRun found = runClave(withCatalogue({"--find", files[1]}));

    EXPECT_EQ(linesOf(found.out), (std::vector<std::string>{linesOf(runClave({files[1]}).out)[0],
                                                            "    0  solo por la clave  " + files[0]}));
}

TEST_F(CatalogueToolTest, FindsInACatalogueItsUserMayOnlyReadThroughItsLog)
{
    if (!UserWithoutRights::isPossible())
        GTEST_SKIP() << "this process is root and there is no user \"nobody\" to run the tool as";
    const std::string picture = pictures("f", 1)[0];
    const std::string copy = path(folder_.filePath("copia.jpg"));
    std::filesystem::copy_file(picture, copy);
    ASSERT_EQ(runClave(withCatalogue({picture})).exitCode, 0);
    // The last commit, which moves the picture's record to the copy, stays in the log, as when the run
    // that wrote it is still going or was killed.
    ASSERT_TRUE(leaveCommitInLog(catalogue_, "UPDATE pictures SET path = CAST('" + copy + "' AS BLOB)"));
    // Neither the catalogue nor its folder may be written: no side file can be made or changed.
    const auto readable = QFileDevice::ReadOwner | QFileDevice::ReadOther | QFileDevice::ExeOwner | QFileDevice::ExeOther;
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::setPermissions(QFile::decodeName((catalogue_ + suffix).c_str()), QFileDevice::ReadOwner | QFileDevice::ReadOther);
    QFile::setPermissions(folder_.path(), readable);
    const std::vector<std::optional<std::string>> before = withSideFiles(catalogue_);

    const ClaveRun found = runClaveWithoutRights(withCatalogue({"--find", picture}));

    QFile::setPermissions(folder_.path(), readable | QFileDevice::WriteOwner);
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(linesOf(found.out), (std::vector<std::string>{linesOf(runClave({picture}).out)[0], "    0   0  1.000  " + copy}));
    EXPECT_EQ(withSideFiles(catalogue_), before);
}

TEST_F(CatalogueToolTest, AnyoneWhoMayReadAFinishedCatalogueSearchesItTheFirstFormatAsItIs)
{
    if (!UserWithoutRights::isPossible())
        GTEST_SKIP() << "this process is root and there is no user \"nobody\" to run the tool as";
    const std::vector<std::string> files = pictures("s", 2, 60);
    ASSERT_EQ(runClave(withCatalogue({files[0]})).exitCode, 0);
    const std::string first = path(folder_.filePath("primero.db"));
    writeFirstFormatCatalogue(first, {{files[1], keyCodesOfRun(files[1])}});
    QFile::setPermissions(folder_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                               QFileDevice::ReadOther | QFileDevice::ExeOther);

    for (std::size_t f = 0; f < files.size(); ++f) {
        const ClaveRun found = runClaveWithoutRights({"--catalogue", f == 0 ? catalogue_ : first, "--find", files[f]});
        EXPECT_EQ(found.exitCode, 0) << found.err;
        // The first format's record has no fingerprint: matched by its key alone.
        const std::string agreement = f == 0 ? "   0  1.000  " : "  solo por la clave  ";
        EXPECT_EQ(linesOf(found.out), (std::vector<std::string>{linesOf(runClave({files[f]}).out)[0], "    0" + agreement + files[f]}));
    }
    EXPECT_EQ(queryNumber(first, "PRAGMA user_version"), 1);
}

TEST_F(CatalogueToolTest, SaysWhyAReaderCannotFollowTheLogOfACatalogueBeingWritten)
{
    if (!UserWithoutRights::isPossible())
        GTEST_SKIP() << "this process is root and there is no user \"nobody\" to run the tool as";
    const std::string picture = pictures("w", 1)[0];
    ASSERT_EQ(runClave(withCatalogue({picture})).exitCode, 0);
    // A run still writing: its log holds a commit, and its shared-memory file is gone.
    ASSERT_TRUE(leaveCommitInLog(catalogue_, "UPDATE pictures SET keyed = 0"));
    std::remove((catalogue_ + "-shm").c_str());
    QFile::setPermissions(folder_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                               QFileDevice::ReadOther | QFileDevice::ExeOther);

    const ClaveRun found = runClaveWithoutRights(withCatalogue({"--find", picture}));

    EXPECT_EQ(found.exitCode, 3);
    EXPECT_NE(found.err.find("claves.db-shm», que no se puede crear en " + path(folder_.path()) + " (Permission denied)"),
              std::string::npos) << found.err;
}

TEST_F(CatalogueToolTest, MakesNoTargetForAMergeRefusedAndWritesCountsAsJsonWhenAsked)
{
    const std::string picture = pictures("m", 1)[0];
    const std::string part = path(folder_.filePath("parte.db"));
    ASSERT_EQ(runClave({"--catalogue", part, picture}).exitCode, 0);
    const std::string list = path(folder_.write("lista.txt", QByteArray::fromStdString(runClave({picture}).out)));

    const ClaveRun merged = runClave(withCatalogue({"--merge", part, path(folder_.filePath("falta.db"))}));
    const bool made = QFile::exists(QFile::decodeName(catalogue_.c_str()));
    const ClaveRun imported = runClave(withCatalogue({"--json", "--import", list}));
    std::remove(picture.c_str());
    const ClaveRun pruned = runClave({"--catalogue", part, "--json", "--prune"});

    EXPECT_EQ(merged.exitCode, 3);
    EXPECT_FALSE(made);
    EXPECT_EQ(imported.out, "{\"imported\": 1, \"without_file\": 0}\n");
    EXPECT_EQ(pruned.out, "{\"pruned\": 1}\n");
}

// Two unrelated pictures within D of each other are not copies, but --matrix still shows the distance
// of their keys.
TEST_F(CatalogueToolTest, TabulatesTheKeyDistanceOfNearKeysItDoesNotConfirmAsCopies)
{
    const std::vector<std::string> files = pictures("f", 2, 30);
    const int distance = keyDistance(packedKey(keyCodesOfRun(files[0])), packedKey(keyCodesOfRun(files[1])));
    const std::string width = std::string(distance < 100 ? distance < 10 ? 2 : 1 : 0, ' ');

    const ClaveRun run = runClave({"--compare", "--near", std::to_string(distance), "--matrix", files[0], files[1]});

    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 12u) << run.out;
    EXPECT_EQ(lines[3], "Grupo 1 (1 imagen): " + keyText(keyCodesOfRun(files[0])));
    EXPECT_EQ(lines[4], "    0   0  1.000  " + files[0]);
    EXPECT_EQ(lines[5], "Grupo 2 (1 imagen): " + keyText(keyCodesOfRun(files[1])));
    EXPECT_EQ(lines[8], "Distancias en bits:");
    EXPECT_EQ(lines[9], "    1   2");
    EXPECT_EQ(lines[10], "1   0 " + width + std::to_string(distance) + "  " + files[0]);
    EXPECT_EQ(lines[11], "2 " + width + std::to_string(distance) + "   0  " + files[1]);
}

} // namespace
} // namespace velsaro
