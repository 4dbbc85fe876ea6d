#include "catalogue/key_list.h"

#include "catalogue/visible_text.h"

#include <climits>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace velsaro {

namespace {

bool needsEscaping(const std::string& path)
{
    return path.find('\\') != std::string::npos || hasHiddenCharacter(path);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "c0.c1. ... c26." at the start of text, each code 0..255 in shortest decimal form; where it ends.
std::optional<std::size_t> parsedKey(const std::string& text, std::size_t at, KeyCodes& codes)
{
    for (std::uint8_t& code : codes) {
        const std::size_t start = at;
        int value = 0;
        while (at < text.size() && isDigit(text[at]) && at - start < 3)
            value = value * 10 + (text[at++] - '0');
        const bool shortest = at - start == 1 || text[start] != '0';
        if (at == start || !shortest || value > 255 || at >= text.size() || text[at] != '.')
            return std::nullopt;
        code = std::uint8_t(value);
        ++at;
    }
    return at;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The byte of the escape that starts at text[at] ("\\", "\n" or "\xNN", as keyLine writes them) and
// the escape's length; none for anything else.
std::optional<std::pair<char, std::size_t>> escapedByte(const std::string& text, std::size_t at)
{
    const char kind = at + 1 < text.size() ? text[at + 1] : '\0';
    if (kind == '\\' || kind == 'n')
        return std::pair{kind == 'n' ? '\n' : '\\', std::size_t(2)};
    if (kind != 'x' || at + 3 >= text.size() || hexDigit(text[at + 2]) < 0 || hexDigit(text[at + 3]) < 0)
        return std::nullopt;
    return std::pair{char(hexDigit(text[at + 2]) * 16 + hexDigit(text[at + 3])), std::size_t(4)};
}

// The path of an escaped line: its escapes read back, and nothing else may follow a backslash.
std::optional<std::string> unescaped(const std::string& text)
{
    std::string path;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '\\') {
            path += text[i++];
            continue;
        }
        const auto escape = escapedByte(text, i);
        if (!escape)
            return std::nullopt;
        path += escape->first;
        i += escape->second;
    }
    return path;
}

// A row of the table of distances: numbers apart by spaces, two spaces and the path.
bool isMatrixRow(const std::string& line)
{
    const std::size_t pathAt = line.find("  ", line.find_first_not_of(' '));
    return pathAt != std::string::npos && pathAt + 2 < line.size() &&
           line.find_first_not_of("0123456789 ", 0) >= pathAt;
}

// Why no file system could hold path, if none could: the system's calls end a name at a NUL byte and
// refuse one of PATH_MAX bytes or more, and a carriage return at the end is what a list saved with
// Windows line ends leaves there.
std::optional<std::string> impossiblePath(const std::string& path)
{
    if (path.find('\0') != std::string::npos)
        return "la ruta contiene un byte nulo, que ningún sistema de archivos admite";
    if (path.ends_with('\r'))
        return "la ruta termina en un retorno de carro (¿una lista con finales de línea de Windows?)";
    if (path.size() >= PATH_MAX)
        return "la ruta tiene " + std::to_string(path.size()) + " bytes, más de los " + std::to_string(PATH_MAX - 1) +
               " que admite el sistema";
    return std::nullopt;
}

} // namespace

// A line break as "\n" and every other hidden character's bytes as "\xNN", so that a line stays one
// line and shows what the path holds; backslashes doubled where the line is to be read back.
std::string escapedPath(const std::string& path, bool backslashes)
{
    std::string text;
    for (const TextPiece& piece : textPieces(path)) {
        if (piece.hidden)
            text += piece.text == "\n" ? std::string("\\n") : hexEscaped(piece.text);
        else if (backslashes)
            for (char c : piece.text)
                text += c == '\\' ? std::string("\\\\") : std::string(1, c);
        else
            text += piece.text;
    }
    return text;
}

std::string keyLine(const std::string& keyText, const std::string& path)
{
    return (needsEscaping(path) ? "\\" : "") + keyText + "  " + escapedPath(path, true) + "\n";
}

std::string listedPath(const std::string& path)
{
    if (!needsEscaping(path))
        return path;
    std::string text(1, '\\');
    return text.append(escapedPath(path, true));
}

std::optional<ListedKey> parsedKeyLine(const std::string& line)
{
    const bool escaped = !line.empty() && line[0] == '\\';
    ListedKey listed;
    const std::optional<std::size_t> keyEnd = parsedKey(line, escaped ? 1 : 0, listed.codes);
    if (!keyEnd || line.compare(*keyEnd, 2, "  ") != 0 || *keyEnd + 2 >= line.size())
        return std::nullopt;
    std::optional<std::string> path = line.substr(*keyEnd + 2);
    if (escaped)
        path = unescaped(*path);
    if (!path)
        return std::nullopt;
    listed.path = std::move(*path);
    return listed;
}

bool KeyListReader::readLine(std::string& line)
{
    char* buffer = nullptr;
    std::size_t capacity = 0;
    const ssize_t length = ::getline(&buffer, &capacity, stream_);
    if (length >= 0)
        line.assign(buffer, std::size_t(length) - (length > 0 && buffer[length - 1] == '\n' ? 1 : 0));
    std::free(buffer);
    if (length < 0 && std::ferror(stream_))
        fail(std::string("no se puede leer la lista (") + std::strerror(errno) + ")");
    ++lineNumber_;
    return length >= 0;
}

std::optional<ListedKey> KeyListReader::next()
{
    std::string line;
    while (readLine(line)) {
        if (std::optional<ListedKey> listed = parsedKeyLine(line)) {
            if (const std::optional<std::string> why = impossiblePath(listed->path))
                fail(*why);
            inMatrix_ = false;
            return listed;
        }
        if (line == matrixHeading)
            inMatrix_ = true;
        else if (line.empty())
            inMatrix_ = false;
        else if (!line.starts_with(groupHeadingStart) && line[0] != ' ' && !(inMatrix_ && isMatrixRow(line)))
            fail("la línea no es «CLAVE  RUTA» como las escribe velsaro-clave");
    }
    return std::nullopt;
}

void KeyListReader::fail(const std::string& reason) const
{
    throw KeyListError(name_, lineNumber_, reason);
}

} // namespace velsaro
