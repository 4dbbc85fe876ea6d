// The page of --html as a browser shows it: Debian's headless Chromium renders it offline, its text
// holds every group, its thumbnails are drawn, and its command lines name the pictures exactly.
#include "tests/cli/clave_process.h"
#include "tests/support/picture_files.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QRegularExpression>

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
    // quote, and one picture alike to none.
    std::vector<std::string> files;
    for (unsigned seed : {3u, 4u}) {
        const QImage picture = variedPicture(430, 503, seed);
        files.push_back(path(folder.write(QString("it's %1.bmp").arg(seed), bmp24(picture))));
        files.push_back(path(folder.path()) + "/copia\xf1" + std::to_string(seed) + ".bmp"); // not UTF-8
        std::ofstream(files.back(), std::ios::binary) << bmp32Rgb(picture, 0).toStdString();
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

    EXPECT_TRUE(text.contains("Grupo 1 (2 imágenes)") && text.contains("Grupo 2 (2 imágenes)")) << text.toStdString();
    EXPECT_FALSE(text.contains("Grupo 3"));
    EXPECT_TRUE(text.contains("1 imágenes no se parecen a ninguna otra."));
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
    EXPECT_EQ(named, std::vector<std::string>(files.begin(), files.begin() + 4));
}

} // namespace
} // namespace velsaro
