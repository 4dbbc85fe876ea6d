// velsaro-clave with a catalogue, as a user runs it: what a second run decodes, a run killed half-way,
// two runs at once, files that are not catalogues, and the near-key options on real pictures.
#include "tests/cli/clave_process.h"
#include "tests/support/picture_files.h"
#include "tests/support/user_without_rights.h"

#include "cli/key_distance.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sqlite3.h>
#include <sys/stat.h>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
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

// One number from an SQL query on the catalogue, read through a connection of its own.
std::int64_t queryNumber(const std::string& file, const std::string& sql)
{
    sqlite3* db = nullptr;
    std::int64_t value = -1;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            value = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return value;
}

std::vector<std::string> cataloguedPaths(const std::string& file)
{
    std::vector<std::string> paths;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT path FROM pictures", -1, &statement, nullptr);
        while (statement && sqlite3_step(statement) == SQLITE_ROW)
            paths.emplace_back(static_cast<const char*>(sqlite3_column_blob(statement, 0)),
                               std::size_t(sqlite3_column_bytes(statement, 0)));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return paths;
}

void executeSql(const std::string& file, const std::string& sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// Replaces a file's bytes with as many that are no picture, and puts its modification time back: the
// file looks unchanged to anything that only looks at its size and time, and cannot be decoded.
void spoilKeepingSizeAndTime(const std::string& file)
{
    struct stat before {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string(std::size_t(before.st_size), 'x');
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
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

TEST_F(CatalogueToolTest, SecondRunDecodesNothingUnchangedAndPrintsTheSame)
{
    const std::vector<std::string> files = pictures("p", 4);
    const std::vector<std::string> arguments = {"--compare", "--json", files[0], files[1], files[2]};
    const ClaveRun plain = runClave(arguments);
    const ClaveRun first = runClave(withCatalogue(arguments));
    ASSERT_EQ(runClave(withCatalogue({files[3]})).exitCode, 0);
    for (const std::string& file : {files[0], files[1], files[2]})
        spoilKeepingSizeAndTime(file);
    // Another picture in the fourth file, written later: it is keyed again.
    std::ofstream(files[3], std::ios::binary | std::ios::trunc)
        << jpeg(variedPicture(drawingAreaWidth, drawingAreaHeight, 99)).toStdString();

    const ClaveRun second = runClave(withCatalogue(arguments));
    const ClaveRun changed = runClave(withCatalogue({files[3]}));

    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(first.out, plain.out);
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(second.out, plain.out);
    EXPECT_EQ(changed.out, runClave({files[3]}).out);
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

    const int run = startClave(withCatalogue({"-j1", batch}), path(folder_.filePath("killed.out")));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (queryNumber(catalogue_, "SELECT count(*) FROM pictures") < 1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    kill(run, SIGKILL);
    const int killedStatus = waitForClave(run);
    const std::vector<std::string> kept = cataloguedPaths(catalogue_);
    // What the killed run committed must come from the catalogue now: decoding these would fail.
    for (const std::string& file : kept)
        spoilKeepingSizeAndTime(file);
    const ClaveRun resumed = runClave(withCatalogue({batch}));

    EXPECT_EQ(killedStatus, -1);
    EXPECT_GE(kept.size(), 1u);
    EXPECT_LT(kept.size(), std::size_t(count));
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err.substr(0, 500);
    EXPECT_EQ(resumed.out, plain.out);
    EXPECT_EQ(queryNumber(catalogue_, "SELECT count(*) FROM pictures"), count);
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

TEST_F(CatalogueToolTest, RefusesForeignFilesAndLaterCataloguesLeavingThemUntouched)
{
    const std::string picture = pictures("d", 1)[0];
    const std::string text = path(folder_.write("notas.db", "una lista de la compra, no un catálogo\n"));
    const std::string otherDatabase = path(folder_.filePath("otra.db"));
    executeSql(otherDatabase, "CREATE TABLE agenda (nombre TEXT); INSERT INTO agenda VALUES ('Ana')");
    ASSERT_EQ(runClave(withCatalogue({picture})).exitCode, 0);
    executeSql(catalogue_, "PRAGMA user_version = 2");

    for (const std::string& file : {text, otherDatabase, catalogue_}) {
        const std::string bytes = bytesOf(file);
        const ClaveRun run = runClave({"--catalogue", file, picture});
        const ClaveRun merge = runClave({"--catalogue", path(folder_.filePath("nuevo.db")), "--merge", file});

        EXPECT_EQ(run.exitCode, 3);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(merge.exitCode, 3);
        EXPECT_EQ(bytesOf(file), bytes) << file;
        const std::string expected =
            file == catalogue_ ? "el catálogo es de una versión posterior de velsaro-clave (formato 2; esta "
                                 "versión lee el formato 1); no se ha modificado"
                               : "no es un catálogo de velsaro-clave; no se ha modificado";
        EXPECT_EQ(run.err, "velsaro-clave: " + file + ": " + expected + "\n");
        EXPECT_EQ(merge.err, "velsaro-clave: " + file + ": " + expected + "\n");
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

TEST_F(CatalogueToolTest, FindsMergedPicturesNearestFirstWithTheirExactPaths)
{
    const std::string odd = path(folder_.write("cara \"1\"\n\xff.jpg",
                                               jpeg(variedPicture(drawingAreaWidth, drawingAreaHeight, 7))));
    const std::string other = pictures("e", 1, 8)[0];
    const std::string partOne = path(folder_.filePath("parte1.db"));
    const std::string partTwo = path(folder_.filePath("parte2.db"));
    ASSERT_EQ(runClave({"--catalogue", partOne, odd}).exitCode, 0);
    ASSERT_EQ(runClave({"--catalogue", partTwo, other}).exitCode, 0);
    ASSERT_EQ(runClave({"--catalogue", catalogue_, "--merge", partOne, partTwo}).exitCode, 0);
    const int distance = cli::keyDistance(keyCodesOfRun(odd), keyCodesOfRun(other));
    std::string listedOdd = odd;
    listedOdd.replace(listedOdd.find('\n'), 1, "\\n");

    const ClaveRun found = runClave(withCatalogue({"--find", "--near", "216", odd}));
    const ClaveRun nearest = runClave(withCatalogue({"--find", "--json", other}));

    EXPECT_EQ(found.exitCode, 0) << found.err;
    const std::vector<std::string> lines = linesOf(found.out);
    ASSERT_EQ(lines.size(), 3u) << found.out;
    EXPECT_EQ(lines[1], "    0  \\" + listedOdd);
    EXPECT_EQ(lines[2], "  " + std::string(distance < 100 ? distance < 10 ? 2 : 1 : 0, ' ') +
                            std::to_string(distance) + "  " + other);
    const QJsonObject query = QJsonDocument::fromJson(QByteArray::fromStdString(nearest.out))
                                  .object()["queries"].toArray()[0].toObject();
    EXPECT_EQ(query["path"].toString().toStdString(), other);
    EXPECT_EQ(query["matches"].toArray(), QJsonArray({QJsonObject{{"path", QString::fromStdString(other)},
                                                                   {"distance", 0}}}));
}

TEST_F(CatalogueToolTest, FindsInACatalogueItsUserMayOnlyRead)
{
    if (!UserWithoutRights::isPossible())
        GTEST_SKIP() << "this process is root and there is no user \"nobody\" to run the tool as";
    const std::string picture = pictures("f", 1)[0];
    ASSERT_EQ(runClave(withCatalogue({picture})).exitCode, 0);
    // Neither the catalogue nor its folder may be written: no journal or shared-memory file can be made.
    const auto readable = QFileDevice::ReadOwner | QFileDevice::ReadOther | QFileDevice::ExeOwner | QFileDevice::ExeOther;
    QFile::setPermissions(QFile::decodeName(catalogue_.c_str()), QFileDevice::ReadOwner | QFileDevice::ReadOther);
    QFile::setPermissions(folder_.path(), readable);
    const std::string before = bytesOf(catalogue_);

    const ClaveRun found = runClaveWithoutRights(withCatalogue({"--find", picture}));

    QFile::setPermissions(folder_.path(), readable | QFileDevice::WriteOwner);
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(linesOf(found.out).size(), 2u) << found.out;
    EXPECT_EQ(bytesOf(catalogue_), before);
}

TEST_F(CatalogueToolTest, GroupsNearKeysWithTheirDistancesAndTabulatesThem)
{
    const std::vector<std::string> files = pictures("f", 2, 30);
    const int distance = cli::keyDistance(keyCodesOfRun(files[0]), keyCodesOfRun(files[1]));
    const std::string width = std::string(distance < 100 ? distance < 10 ? 2 : 1 : 0, ' ');

    const ClaveRun run = runClave({"--compare", "--near", std::to_string(distance), "--matrix", files[0], files[1]});

    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 11u) << run.out;
    EXPECT_EQ(lines[3], "Grupo 1 (2 imágenes): " + keyText(keyCodesOfRun(files[0])));
    EXPECT_EQ(lines[4], "    0  " + files[0]);
    EXPECT_EQ(lines[5], "  " + width + std::to_string(distance) + "  " + files[1]);
    EXPECT_EQ(lines[7], "Distancias en bits:");
    EXPECT_EQ(lines[8], "    1   2");
    EXPECT_EQ(lines[9], "1   0 " + width + std::to_string(distance) + "  " + files[0]);
    EXPECT_EQ(lines[10], "2 " + width + std::to_string(distance) + "   0  " + files[1]);
}

} // namespace
} // namespace velsaro
