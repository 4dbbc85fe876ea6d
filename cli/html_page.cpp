#include "cli/html_page.h"

#include "catalogue/paths.h"
#include "cli/progress_line.h"
#include "picture/drawing_area.h"
#include "picture/picture_file.h"

#include <QBuffer>
#include <QString>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <thread>

namespace velsaro::cli {

namespace {

constexpr int thumbnailWidth = drawingAreaWidth / 3;
constexpr int thumbnailHeight = drawingAreaHeight / 3;
constexpr std::size_t picturesPerCommand = 8;

const char* const pageStyle = R"(body { font-family: sans-serif; margin: 1.5em; color: #222; }
section { border-top: 1px solid #ccc; padding: 0.5em 0 1em; }
h2 { font-size: 1.1em; margin: 0.4em 0; }
.clave, code { font-family: monospace; font-size: 0.85em; overflow-wrap: anywhere; }
code { white-space: pre-wrap; }
ul { list-style: none; display: flex; flex-wrap: wrap; gap: 1em; padding: 0; margin: 0; }
li { width: 143px; font-size: 0.8em; overflow-wrap: anywhere; }
img { display: block; width: 143px; height: 167px; background: #c0c0c0; margin-bottom: 0.3em; }
)";

struct Thumbnail {
    std::string path;
    std::string file; // within the folder
};

std::string fileName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Text for the page: UTF-8 as it is, bytes that are not shown as U+FFFD, and &, <, >, " escaped.
std::string html(const std::string& text)
{
    std::string escaped;
    for (char c : QString::fromUtf8(text.data(), qsizetype(text.size())).toStdString()) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

// A word a POSIX shell reads back as path's very bytes: '...' where every byte prints, $'...' with
// \xNN escapes where some does not (a line break, bytes that are not UTF-8).
std::string shellWord(const std::string& path)
{
    const bool plain = QByteArrayView(path.data(), qsizetype(path.size())).isValidUtf8() &&
                       path.find_first_of("\n\r\t") == std::string::npos;
    std::string word = plain ? "'" : "$'";
    for (char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (plain)
            word += c == '\'' ? std::string("'\\''") : std::string(1, c);
        else if (byte < 0x20 || byte >= 0x7f || c == '\'' || c == '\\') {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            word += hex;
        } else
            word += c;
    }
    return word + "'";
}

std::string sizeText(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return "tamaño desconocido";
    const double kib = double(status.st_size) / 1024.0;
    char text[32];
    if (kib < 1024)
        std::snprintf(text, sizeof text, "%.0f KiB", kib);
    else
        std::snprintf(text, sizeof text, "%.1f MiB", kib / 1024.0);
    return text;
}

// The drawing area of path, a third of its size, as a JPEG; empty when the picture cannot be read.
std::string thumbnailBytes(const std::string& path)
{
    const PictureFile picture = readPictureFile(path, PictureRegion::Shown);
    if (picture.error != PictureFileError::None)
        return {};
    const QImage small = DrawingArea(picture.image)
                             .image()
                             .scaled(thumbnailWidth, thumbnailHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    small.save(&buffer, "JPEG", 85);
    return bytes.toStdString();
}

// Writes every thumbnail on jobs threads; false for a picture that could not be read or written.
std::vector<bool> writeThumbnails(const std::string& folder, const std::vector<Thumbnail>& thumbnails, int jobs,
                                  const Console& console)
{
    std::vector<char> written(thumbnails.size(), 0);
    std::atomic<std::size_t> next = 0;
    std::atomic<std::size_t> done = 0;
    const auto work = [&] {
        for (std::size_t i = next++; i < thumbnails.size(); i = next++) {
            const std::string bytes = thumbnailBytes(thumbnails[i].path);
            std::ofstream out(folder + "/" + thumbnails[i].file, std::ios::binary);
            written[i] = !bytes.empty() && out.write(bytes.data(), std::streamsize(bytes.size())) ? 1 : 0;
            ++done;
        }
    };
    ProgressLine progress(console.err, thumbnails.size(), console.errIsTerminal && thumbnails.size() > quietBatchSize);
    {
        std::vector<std::jthread> workers;
        for (int t = 0; t < std::max(jobs, 1); ++t)
            workers.emplace_back(work);
        while (done < thumbnails.size()) {
            progress.update(done);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    progress.erase();
    return std::vector<bool>(written.begin(), written.end());
}

// A relative URL of name: every byte but letters, digits and "-._~/" percent-encoded.
std::string url(const std::string& name)
{
    std::string encoded;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || std::strchr("-._~/", c) != nullptr) {
            encoded += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            encoded += hex;
        }
    }
    return encoded;
}

std::string pictureItem(const Thumbnail& thumbnail, bool drawn, const std::string& folderName, int distance)
{
    const std::string image = drawn ? "<img src=\"" + html(url(folderName + "/" + thumbnail.file)) +
                                          "\" loading=\"lazy\" width=\"143\" height=\"167\" alt=\"" +
                                          html(fileName(thumbnail.path)) + "\">"
                                    : "<img alt=\"no se pudo leer\">";
    return "<li>" + image + "<span>" + html(thumbnail.path) + "</span><br>" + std::to_string(distance) +
           " bits · " + sizeText(thumbnail.path) + "</li>\n";
}

// The group's first pictures by absolute paths, so that the line works from any folder, after "--"
// where one of them begins with "-".
std::string commandLine(const NearGroup& group)
{
    CataloguePaths absolute;
    std::vector<std::string> words;
    for (std::size_t p = 0; p < std::min(group.paths.size(), picturesPerCommand); ++p)
        words.push_back(shellWord(absolute(group.paths[p])));
    const bool dashed = std::any_of(words.begin(), words.end(), [](const std::string& word) {
        return word.starts_with("'-") || word.starts_with("$'-");
    });
    std::string command = dashed ? "velsaro --" : "velsaro";
    for (const std::string& word : words)
        command.append(" ").append(word);
    return command;
}

// A thumbnail for every picture of a group of two or more, numbered in page order.
std::vector<Thumbnail> thumbnailsOf(const std::vector<NearGroup>& groups)
{
    std::vector<Thumbnail> thumbnails;
    for (const NearGroup& group : groups)
        for (std::size_t p = 0; group.paths.size() > 1 && p < group.paths.size(); ++p) {
            char name[24];
            std::snprintf(name, sizeof name, "%06zu.jpg", thumbnails.size() + 1);
            thumbnails.push_back({group.paths[p], name});
        }
    return thumbnails;
}

std::string pageHead(std::size_t pictureCount, int maxDistance)
{
    return std::string("<!DOCTYPE html>\n<html lang=\"es\">\n<head>\n<meta charset=\"utf-8\">\n") +
           "<title>Copias cercanas</title>\n<style>\n" + pageStyle + "</style>\n</head>\n<body>\n" +
           "<h1>Copias cercanas</h1>\n<p>" + std::to_string(pictureCount) + " imágenes; en cada grupo, las que están a " +
           std::to_string(maxDistance) + " bits o menos de la primera.</p>\n";
}

std::string groupHead(std::size_t number, const NearGroup& group)
{
    return "<section>\n<h2>Grupo " + std::to_string(number) + " (" + std::to_string(group.paths.size()) +
           " imágenes)</h2>\n<p class=\"clave\">" + html(group.keyText) + "</p>\n<p>Para abrirlo en Velsaro: <code>" +
           html(commandLine(group)) + "</code></p>\n<ul>\n";
}

// The thumbnails' folder, made unless it is there; why not, if it cannot be.
std::optional<std::string> madeFolder(const std::string& folder)
{
    if (::mkdir(folder.c_str(), 0777) == 0)
        return std::nullopt;
    const int error = errno;
    struct stat status {};
    if (error == EEXIST && ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return std::nullopt;
    return folder + ": no se pudo crear la carpeta de las miniaturas (" + std::strerror(error == EEXIST ? ENOTDIR : error) + ")";
}

} // namespace

std::string thumbnailFolder(const std::string& file)
{
    std::string stem = file;
    for (const char* extension : {".html", ".htm"})
        if (stem.size() > std::strlen(extension) && stem.ends_with(extension))
            stem.resize(stem.size() - std::strlen(extension));
    return stem + "_archivos";
}

std::optional<std::string> writeHtmlPage(const std::string& file, const std::vector<NearGroup>& groups,
                                         std::size_t pictureCount, int maxDistance, int jobs, const Console& console)
{
    const std::string folder = thumbnailFolder(file);
    if (const std::optional<std::string> failure = madeFolder(folder))
        return failure;
    const std::vector<Thumbnail> thumbnails = thumbnailsOf(groups);
    const std::vector<bool> drawn = writeThumbnails(folder, thumbnails, jobs, console);
    std::ofstream page(file, std::ios::binary | std::ios::trunc);
    page << pageHead(pictureCount, maxDistance);
    std::size_t thumbnail = 0;
    std::size_t number = 0;
    for (const NearGroup& group : groups) {
        if (group.paths.size() < 2)
            continue;
        page << groupHead(++number, group);
        for (std::size_t p = 0; p < group.paths.size(); ++p, ++thumbnail)
            page << pictureItem(thumbnails[thumbnail], drawn[thumbnail], fileName(folder), group.distances[p]);
        page << "</ul>\n</section>\n";
    }
    page << "<p>" << pictureCount - thumbnails.size() << " imágenes no se parecen a ninguna otra.</p>\n</body>\n</html>\n";
    page.close();
    if (!page)
        return file + ": no se pudo escribir la página (" + std::strerror(errno) + ")";
    return std::nullopt;
}

} // namespace velsaro::cli
