#include "cli/html_page.h"

#include "catalogue/paths.h"
#include "catalogue/visible_text.h"
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
#include <thread>

namespace velsaro::cli {

namespace {

constexpr int thumbnailWidth = drawingAreaWidth / 3;
constexpr int thumbnailHeight = drawingAreaHeight / 3;
constexpr std::size_t picturesPerCommand = 8; // what the desktop program holds at once
const char* const pageName = "pagina.html";      // within the private folder, until it is placed

const char* const pageStyle = R"(body { font-family: sans-serif; margin: 1.5em; color: #222; }
section { border-top: 1px solid #ccc; padding: 0.5em 0 1em; }
h2 { font-size: 1.1em; margin: 0.4em 0; }
.clave, code { font-family: monospace; font-size: 0.85em; overflow-wrap: anywhere; }
code { white-space: pre-wrap; }
ul { list-style: none; display: flex; flex-wrap: wrap; gap: 1em; padding: 0; margin: 0; }
li { width: 143px; font-size: 0.8em; overflow-wrap: anywhere; }
img { display: block; width: 143px; height: 167px; background: #c0c0c0; margin-bottom: 0.3em; }
.escape { background: #fdd; color: #900; }
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

// Text for the page: UTF-8 as it is, bytes that are not shown as U+FFFD, &, <, >, " escaped, and
// hidden characters (controls, direction marks) as their bytes "\xNN", through shownHidden.
template <typename ShownHidden>
std::string html(const std::string& text, ShownHidden shownHidden)
{
    std::string escaped;
    for (const TextPiece& piece : textPieces(text)) {
        if (piece.hidden) {
            escaped += shownHidden(hexEscaped(piece.text));
            continue;
        }
        for (char c : QString::fromUtf8(piece.text.data(), qsizetype(piece.text.size())).toStdString()) {
            switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
            }
        }
    }
    return escaped;
}

// In the page's text, an escaped hidden character is marked, so that it is not taken for a name's
// own backslash.
std::string htmlText(const std::string& text)
{
    return html(text, [](const std::string& bytes) { return "<span class=\"escape\">" + bytes + "</span>"; });
}

std::string htmlAttribute(const std::string& text)
{
    return html(text, [](const std::string& bytes) { return bytes; });
}

// A word a POSIX shell reads back as path's very bytes: '...' where every character shows, $'...'
// with \xNN escapes where some does not (a control or direction character, bytes that are not UTF-8).
std::string shellWord(const std::string& path)
{
    const bool plain = QByteArrayView(path.data(), qsizetype(path.size())).isValidUtf8() && !hasHiddenCharacter(path);
    std::string word = plain ? "'" : "$'";
    for (char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (plain)
            word += c == '\'' ? std::string("'\\''") : std::string(1, c);
        else if (byte < 0x20 || byte >= 0x7f || c == '\'' || c == '\\')
            word += hexEscaped(std::string_view(&c, 1));
        else
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

// The drawing area of path showing region, a third of its size, as a JPEG; empty when the picture
// cannot be read.
std::string thumbnailBytes(const std::string& path, PictureRegion region)
{
    const PictureFile picture = readPictureFile(path, region);
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

struct WrittenThumbnails {
    std::vector<bool> drawn;            // per thumbnail: false for a picture that could not be read
    std::optional<PageFailure> failure; // the first thumbnail that could not be written
};

// Writes every thumbnail on jobs threads; after one that cannot be written, none more is tried.
WrittenThumbnails writeThumbnails(const PageFiles& files, const std::string& folder, PictureRegion region,
                                  const std::vector<Thumbnail>& thumbnails, int jobs, const Console& console)
{
    std::vector<char> drawn(thumbnails.size(), 0);
    std::atomic<std::size_t> next = 0;
    std::atomic<std::size_t> done = 0;
    std::atomic<std::size_t> failedAt = thumbnails.size();
    std::atomic<int> failedError = 0;
    const auto work = [&] {
        for (std::size_t i = next++; i < thumbnails.size(); i = next++, ++done) {
            const std::string bytes = failedAt < thumbnails.size() ? std::string() : thumbnailBytes(thumbnails[i].path, region);
            const int error = bytes.empty() ? 0 : files.write(thumbnails[i].file, bytes);
            drawn[i] = !bytes.empty() && error == 0;
            std::size_t none = thumbnails.size();
            if (error != 0 && failedAt.compare_exchange_strong(none, i))
                failedError = error;
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
    WrittenThumbnails written{std::vector<bool>(drawn.begin(), drawn.end()), std::nullopt};
    if (failedAt < thumbnails.size())
        written.failure = PageFailure{folder + "/" + thumbnails[failedAt].file,
                                      std::string("no se pudo escribir la miniatura (") + std::strerror(failedError) + ")"};
    return written;
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

// How closely a picture agrees with its group's first: its key distance and, in a confirmed group,
// its hash distance and grey correlation.
std::string agreementText(const NearGroup& group, std::size_t p)
{
    const std::string key = std::to_string(group.distances[p]) + " bits";
    if (group.hashDistances.empty())
        return key;
    return key + " de clave · " + std::to_string(group.hashDistances[p]) + " bits de huella · grises " +
           correlationText(group.greyCorrelations[p]);
}

std::string pictureItem(const Thumbnail& thumbnail, bool drawn, const std::string& folderName,
                        const std::string& agreement)
{
    const std::string image = drawn ? "<img src=\"" + htmlAttribute(url(folderName + "/" + thumbnail.file)) +
                                          "\" loading=\"lazy\" width=\"143\" height=\"167\" alt=\"" +
                                          htmlAttribute(fileName(thumbnail.path)) + "\">"
                                    : "<img alt=\"no se pudo leer\">";
    return "<li>" + image + "<span>" + htmlText(thumbnail.path) + "</span><br>" + agreement + " · " +
           sizeText(thumbnail.path) + "</li>\n";
}

// A command line for the pictures of a group from first to end, by absolute paths, so that it works
// from any folder, after "--" where one of them begins with "-".
std::string commandLine(const NearGroup& group, std::size_t first, std::size_t end)
{
    CataloguePaths absolute;
    std::vector<std::string> words;
    for (std::size_t p = first; p < end; ++p)
        words.push_back(shellWord(absolute(group.paths[p])));
    const bool dashed = std::any_of(words.begin(), words.end(), [](const std::string& word) {
        return word.starts_with("'-") || word.starts_with("$'-");
    });
    std::string command = dashed ? "velsaro --" : "velsaro";
    for (const std::string& word : words)
        command.append(" ").append(word);
    return command;
}

// One command line for a group the program holds whole; else one per part of up to eight pictures,
// each saying which part it is and which pictures it opens.
std::string commandLines(const NearGroup& group)
{
    const std::size_t count = group.paths.size();
    if (count <= picturesPerCommand)
        return "<p>Para abrirlo en Velsaro: <code>" + htmlText(commandLine(group, 0, count)) + "</code></p>\n";
    const std::size_t parts = (count + picturesPerCommand - 1) / picturesPerCommand;
    std::string text = "<p>Para abrirlo en Velsaro, en " + std::to_string(parts) + " partes de hasta " +
                       std::to_string(picturesPerCommand) + " imágenes:</p>\n";
    for (std::size_t part = 0; part < parts; ++part) {
        const std::size_t first = part * picturesPerCommand;
        const std::size_t end = std::min(first + picturesPerCommand, count);
        const std::string pictures = end - first == 1 ? "imagen " + std::to_string(end)
                                                      : "imágenes " + std::to_string(first + 1) + " a " + std::to_string(end);
        text += "<p>Parte " + std::to_string(part + 1) + " de " + std::to_string(parts) + " (" + pictures +
                "): <code>" + htmlText(commandLine(group, first, end)) + "</code></p>\n";
    }
    return text;
}

// A thumbnail for every picture of a group of two or more, numbered in page order.
std::vector<Thumbnail> thumbnailsOf(const std::vector<NearGroup>& groups)
{
    std::vector<Thumbnail> thumbnails;
    for (const NearGroup& group : groups)
        for (std::size_t p = 0; group.paths.size() > 1 && p < group.paths.size(); ++p)
            thumbnails.push_back({group.paths[p], thumbnailName(thumbnails.size() + 1)});
    return thumbnails;
}

std::string picturesText(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " imagen" : " imágenes");
}

std::string pageHead(std::size_t pictureCount, int maxDistance, bool confirmed)
{
    const std::string within = std::to_string(maxDistance) + " bits o menos";
    const std::string members = confirmed ? "las copias de la primera: su huella casi igual, o su clave a " + within +
                                                " con la huella y los grises parecidos"
                                          : "las que están a " + within + " de la primera";
    return std::string("<!DOCTYPE html>\n<html lang=\"es\">\n<head>\n<meta charset=\"utf-8\">\n") +
           "<title>Copias cercanas</title>\n<style>\n" + pageStyle + "</style>\n</head>\n<body>\n" +
           "<h1>Copias cercanas</h1>\n<p>" + picturesText(pictureCount) + "; en cada grupo, " + members + ".</p>\n";
}

std::string groupHead(std::size_t number, const NearGroup& group)
{
    return "<section>\n<h2>Grupo " + std::to_string(number) + " (" + picturesText(group.paths.size()) +
           ")</h2>\n<p class=\"clave\">" + htmlText(group.keyText) + "</p>\n" + commandLines(group) + "<ul>\n";
}

std::string pageEnd(std::size_t alone)
{
    return "<p>" + picturesText(alone) + (alone == 1 ? " no se parece" : " no se parecen") +
           " a ninguna otra.</p>\n</body>\n</html>\n";
}

std::string pageText(const std::vector<NearGroup>& groups, const std::vector<Thumbnail>& thumbnails,
                     const std::vector<bool>& drawn, const std::string& folderName, std::size_t pictureCount,
                     int maxDistance)
{
    const bool confirmed = !groups.empty() && !groups.front().hashDistances.empty();
    std::string text = pageHead(pictureCount, maxDistance, confirmed);
    std::size_t thumbnail = 0;
    std::size_t number = 0;
    for (const NearGroup& group : groups) {
        if (group.paths.size() < 2)
            continue;
        text += groupHead(++number, group);
        for (std::size_t p = 0; p < group.paths.size(); ++p, ++thumbnail)
            text += pictureItem(thumbnails[thumbnail], drawn[thumbnail], folderName, agreementText(group, p));
        text += "</ul>\n</section>\n";
    }
    return text + pageEnd(pictureCount - thumbnails.size());
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

HtmlPage::HtmlPage(const std::string& file, bool fitted)
    : file_(file), fitted_(fitted), folder_(thumbnailFolder(file)), files_(file, folder_) {}

std::optional<PageFailure> HtmlPage::prepare()
{
    return files_.prepare();
}

std::optional<PageFailure> HtmlPage::write(const std::vector<NearGroup>& groups, std::size_t pictureCount,
                                           int maxDistance, int jobs, const Console& console)
{
    const std::vector<Thumbnail> thumbnails = thumbnailsOf(groups);
    const WrittenThumbnails written = writeThumbnails(files_, folder_, fitted_ ? PictureRegion::Fitted : PictureRegion::Shown,
                                                      thumbnails, jobs, console);
    if (written.failure)
        return written.failure;
    const std::string text = pageText(groups, thumbnails, written.drawn, fileName(folder_), pictureCount, maxDistance);
    if (const int error = files_.write(pageName, text))
        return PageFailure{file_, std::string("no se pudo escribir la página (") + std::strerror(error) + ")"};
    std::vector<std::string> placed;
    for (std::size_t i = 0; i < thumbnails.size(); ++i)
        if (written.drawn[i])
            placed.push_back(thumbnails[i].file);
    return files_.place(placed, pageName);
}

} // namespace velsaro::cli
