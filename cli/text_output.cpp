#include "cli/text_output.h"

#include "cli/visible_text.h"

#include <optional>

namespace velsaro::cli {

namespace {

bool needsEscaping(const std::string& path)
{
    return path.find('\\') != std::string::npos || hasHiddenCharacter(path);
}

// A line break as "\n" and every other hidden character's bytes as "\xNN", so that a line stays one
// line and shows what the path holds; backslashes doubled where the line is to be read back.
std::string escaped(const std::string& path, bool backslashes = true)
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

std::string pictureCount(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " imagen" : " imágenes");
}

std::string rightAligned(int number, std::size_t width)
{
    std::string text = std::to_string(number);
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

// "  " and the path, or with a distance "  " + the distance right-aligned in three places, "  " and
// the path.
std::string memberLine(const std::string& path, std::optional<int> distance)
{
    const std::string lead = distance ? "  " + rightAligned(*distance, 3) + "  " : "  ";
    return lead + listedPath(path) + "\n";
}

// "Grupo NUMBER (COUNT imágenes): KEY" and its pictures, one per line.
std::string groupText(std::size_t number, const NearGroup& group, bool showDistances)
{
    std::string text = "Grupo " + std::to_string(number) + " (" + pictureCount(group.paths.size()) +
                       "): " + group.keyText + "\n";
    for (std::size_t p = 0; p < group.paths.size(); ++p)
        text += memberLine(group.paths[p], showDistances ? std::optional(group.distances[p]) : std::nullopt);
    return text;
}

} // namespace

std::string keyLine(const std::string& keyText, const std::string& path)
{
    return (needsEscaping(path) ? "\\" : "") + keyText + "  " + escaped(path) + "\n";
}

std::string listedPath(const std::string& path)
{
    if (!needsEscaping(path))
        return path;
    std::string text(1, '\\');
    return text.append(escaped(path));
}

std::string errorLine(const std::string& path, const std::string& reason)
{
    return "velsaro-clave: " + escaped(path, false) + ": " + reason + "\n";
}

TextOutput::TextOutput(const Console& console, bool showDistances)
    : Output(console), showDistances_(showDistances)
{
}

void TextOutput::writePicture(const PictureResult& result)
{
    if (result.key)
        printOut(keyLine(result.key->text, result.path));
}

// A blank line, then each group; nothing when there is no group.
void TextOutput::writeGroups(const std::vector<NearGroup>& groups)
{
    if (groups.empty())
        return;
    std::string text = "\n";
    for (std::size_t i = 0; i < groups.size(); ++i)
        text += groupText(i + 1, groups[i], showDistances_);
    printOut(text);
}

// A blank line, "Distancias en bits:", a heading row of column numbers and one row per picture: its
// number, its distance to every picture and its path.
void TextOutput::writeMatrix(const DistanceMatrix& matrix)
{
    if (matrix.paths.empty())
        return;
    const std::size_t numberWidth = std::to_string(matrix.paths.size()).size();
    std::string text = "\nDistancias en bits:\n" + std::string(numberWidth, ' ');
    for (std::size_t column = 0; column < matrix.paths.size(); ++column)
        text.append(" ").append(rightAligned(int(column + 1), 3));
    text += "\n";
    for (std::size_t row = 0; row < matrix.paths.size(); ++row) {
        text += rightAligned(int(row + 1), numberWidth);
        for (int distance : matrix.distances[row])
            text.append(" ").append(rightAligned(distance, 3));
        text.append("  ").append(listedPath(matrix.paths[row])).append("\n");
    }
    printOut(text);
}

// The picture's key line, then each match as a group lists its pictures with their distances.
void TextOutput::writeQuery(const PictureResult& query, const std::vector<CatalogueMatch>& matches)
{
    if (!query.key)
        return;
    std::string text = keyLine(query.key->text, query.path);
    for (const CatalogueMatch& match : matches)
        text += memberLine(match.path, match.distance);
    printOut(text);
}

} // namespace velsaro::cli
