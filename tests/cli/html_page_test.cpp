// The page of --html as a browser shows it: Debian's headless Chromium renders it offline, its text
// holds every group, its thumbnails are drawn, and its command lines name the pictures exactly.
#include "tests/cli/clave_process.h"
#include "tests/support/picture_files.h"
#include "tests/support/user_without_rights.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace velsaro {
namespace {

using namespace velsaro::testing;

constexpr const char* browser = "/usr/bin/chromium-headless-shell";

std::string path(const QString& file)
{
    return QFile::encodeName(file).toStdString();
}

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// What a command prints on its standard output.
std::string outputOf(const std::string& command)
{
    std::string output;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    char buffer[4096];
    for (std::size_t count; pipe && (count = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        output.append(buffer, count);
    return output;
}

// The text of a rendered document: its tags dropped, the entities a serialiser writes in text read back.
QString textOf(const std::string& document)
{
    QString text = QString::fromStdString(document);
    text.remove(QRegularExpression("<[^>]*>"));
    return text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
}

// The browser run offline on the page: its rendered document, or a screenshot of its first screen.
std::string browse(const std::string& page, const std::string& task, const TemporaryFolder& profile)
{
    return outputOf(std::string(browser) + " --no-sandbox --disable-gpu --disable-background-networking " +
                    "--no-first-run --virtual-time-budget=5000 --window-size=900,1200 --user-data-dir=" +
                    shellQuoted(path(profile.path())) + " " + task + " " + shellQuoted("file://" + page) + " 2>/dev/null");
}

TEST(HtmlPage, ShowsEveryGroupWithItsThumbnailsAndCommandLinesThatNameItsPicturesExactly)
{
    if (!std::filesystem::exists(browser))
        GTEST_SKIP() << "no headless browser at " << browser << " (scripts/install-deps.sh installs it)";
    const TemporaryFolder folder;
    // Two sets of copies, each one picture as a 24-bit and a 32-bit bitmap, under names a shell must
    // quote, the first with seven more copies, more than the program holds, one of them named with
    // ESC and U+202E; then one picture alike to none.
    std::vector<std::string> files;
    const std::string hiddenName = "/\x1b[31mroja\xe2\x80\xaegpj.bmp";
    for (unsigned seed : {3u, 4u}) {
        const QImage picture = variedPicture(430, 503, seed);
        files.push_back(path(folder.write(QString("it's %1.bmp").arg(seed), bmp24(picture))));
        for (int copy = 0; copy < (seed == 3 ? 8 : 1); ++copy) {
            files.push_back(path(folder.path()) + (copy == 7 ? hiddenName : "/copia\xf1" + std::to_string(seed * 10 + copy) + ".bmp"));
            std::ofstream(files.back(), std::ios::binary) << bmp32Rgb(picture, 0).toStdString();
        }
    }
    files.push_back(path(folder.write("sola.jpg", jpeg(variedPicture(430, 503, 9)))));
    const std::string page = path(folder.filePath("copias.html"));
    std::vector<std::string> arguments = {"--compare", "--near", "10", "--html", page};
    arguments.insert(arguments.end(), files.begin(), files.end());
    ASSERT_EQ(runClave(arguments).exitCode, 0);

    const TemporaryFolder profile;
    const QString text = textOf(browse(page, "--dump-dom", profile));
    const std::string withThumbnails = path(folder.filePath("con.png"));
    browse(page, "--screenshot=" + shellQuoted(withThumbnails), profile);
    std::filesystem::rename(path(folder.filePath("copias_archivos")), path(folder.filePath("otra")));
    const std::string without = path(folder.filePath("sin.png"));
    browse(page, "--screenshot=" + shellQuoted(without), profile);

    EXPECT_TRUE(text.contains("Grupo 1 (9 imágenes)") && text.contains("Grupo 2 (2 imágenes)")) << text.toStdString();
    EXPECT_TRUE(text.contains("Parte 1 de 2 (imágenes 1 a 8): velsaro") && text.contains("Parte 2 de 2 (imagen 9): velsaro"));
    EXPECT_FALSE(text.contains("Grupo 3"));
    EXPECT_TRUE(text.contains("1 imagen no se parece a ninguna otra."));
    EXPECT_TRUE(text.contains("/\\x1b[31mroja\\xe2\\x80\\xaegpj.bmp"));
    EXPECT_FALSE(text.contains(QChar(0x1b)) || text.contains(QChar(0x202e)));
    EXPECT_NE(QImage(QString::fromStdString(withThumbnails)), QImage(QString::fromStdString(without)));
    // Each group's command line, run by a shell, gives the group's pictures' very bytes.
    const QRegularExpression commands("velsaro (.+)\\n");
    std::vector<std::string> named;
    for (const QRegularExpressionMatch& command : commands.globalMatch(text)) {
        const std::string printed =
            outputOf("bash -c " + shellQuoted("velsaro() { printf '%s\\n' \"$@\"; }; velsaro " +
                                              command.captured(1).toStdString()));
        for (std::size_t at = 0, end; (end = printed.find('\n', at)) != std::string::npos; at = end + 1)
            named.push_back(printed.substr(at, end - at));
    }
    EXPECT_EQ(named, std::vector<std::string>(files.begin(), files.begin() + 11));
}

// ---- Where the page and its thumbnails go ----

// Two copies of one picture: the smallest group a page shows.
std::vector<std::string> compareWithPage(const std::string& page, const TemporaryFolder& folder)
{
    const QByteArray bitmap = bmp24(variedPicture(430, 503, 5));
    return {"--compare", "--html", page, path(folder.write("a.bmp", bitmap)), path(folder.write("b.bmp", bitmap))};
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string contentOf(const std::string& file)
{
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

TEST(HtmlPage, NeverWritesThroughALinkAndLeavesOnlyTheThumbnailsThePageUses)
{
    const TemporaryFolder folder;
    const std::string precious = path(folder.write("precious.txt", "precious"));
    const std::string thumbnails = path(folder.makeFolder("copias_archivos"));
    std::filesystem::create_symlink(precious, thumbnails + "/000001.jpg");
    folder.write("copias_archivos/000009.jpg", "old");
    folder.write("copias_archivos/notas.txt", "mine");

    EXPECT_EQ(runClave(compareWithPage(path(folder.filePath("copias.html")), folder)).exitCode, 0);

    EXPECT_EQ(contentOf(precious), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(thumbnails + "/000001.jpg"));
    EXPECT_EQ(namesIn(thumbnails), (std::vector<std::string>{"000001.jpg", "000002.jpg", "notas.txt"}));
    EXPECT_EQ(namesIn(path(folder.path())).size(), 5u); // a.bmp b.bmp copias.html copias_archivos precious.txt
}

// Nothing is keyed, and nothing is left behind, when the page or its folder cannot be written.
TEST(HtmlPage, RefusesAPageItCannotWriteBeforeKeyingAnyPicture)
{
    const TemporaryFolder folder;
    const std::string asFolder = path(folder.makeFolder("asdir"));
    const ClaveRun intoFolder = runClave(compareWithPage(asFolder, folder));
    const ClaveRun nowhere = runClave(compareWithPage(path(folder.filePath("falta/p.html")), folder));

    EXPECT_EQ(intoFolder.exitCode, 1);
    EXPECT_EQ(intoFolder.out, "");
    EXPECT_EQ(intoFolder.err, "velsaro-clave: " + asFolder + ": es una carpeta; la página necesita el nombre de un archivo\n");
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_EQ(nowhere.out, "");
    EXPECT_EQ(namesIn(path(folder.path())), (std::vector<std::string>{"a.bmp", "asdir", "b.bmp"}));
    if (!UserWithoutRights::isPossible())
        return;
    std::filesystem::permissions(path(folder.path()), std::filesystem::perms::all);
    std::filesystem::permissions(path(folder.makeFolder("ro_archivos")), std::filesystem::perms::others_read |
                                                                           std::filesystem::perms::others_exec);
    const ClaveRun readOnly = runClaveWithoutRights(compareWithPage(path(folder.filePath("ro.html")), folder));
    EXPECT_EQ(readOnly.exitCode, 1);
    EXPECT_EQ(readOnly.out, "");
    EXPECT_NE(readOnly.err.find("ro_archivos: no se puede escribir en la carpeta de las miniaturas"), std::string::npos);
}

// A picture four times as wide as the area: cut, the area shows only its red left half; fitted, its
// blue right half too.
TEST(HtmlPage, ShowsTheFittedPictureInTheThumbnailsOfAFittedRun)
{
    const TemporaryFolder folder;
    QImage wide(1720, 400, QImage::Format_RGB32);
    wide.fill(Qt::red);
    for (int y = 0; y < wide.height(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(wide.scanLine(y)) + 860, 860, qRgb(0, 0, 255));
    const QByteArray bitmap = bmp24(wide);
    const std::vector<std::string> pictures = {path(folder.write("a.bmp", bitmap)), path(folder.write("b.bmp", bitmap))};
    const auto thumbnailColour = [&](std::vector<std::string> options, const char* page) {
        options.insert(options.end(), {"--compare", "--near", "32", "--html", path(folder.filePath(page))});
        options.insert(options.end(), pictures.begin(), pictures.end());
        EXPECT_EQ(runClave(options).exitCode, 0);
        const QImage thumbnail(folder.filePath(QString(page).replace(".html", "_archivos/000001.jpg")));
        return thumbnail.isNull() ? QColor() : thumbnail.pixelColor(107, 10); // area column 321, row 30
    };

    EXPECT_GT(thumbnailColour({"--fit"}, "fit.html").blue(), 200);
    EXPECT_GT(thumbnailColour({}, "cut.html").red(), 200);
}

TEST(HtmlPage, ReportsAThumbnailThatCannotBeWrittenAndKeepsThePreviousPage)
{
    const TemporaryFolder folder;
    const std::string page = path(folder.write("copias.html", "previous"));
    const ClaveRun run = runClaveWithFileSizeLimit(compareWithPage(page, folder), 1000);

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("/copias_archivos/00000"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(".jpg: no se pudo escribir la miniatura (File too large)\n"), std::string::npos) << run.err;
    EXPECT_EQ(contentOf(page), "previous");
}

} // namespace
} // namespace velsaro
