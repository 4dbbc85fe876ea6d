#include "cli/text_output.h"

#include <optional>

namespace velsaro::cli {

namespace {

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

// Of a confirmed pair: the key distance right-aligned in three places, the hash distance in two and
// the grey correlation, two spaces apart, then two spaces and the path.
std::string confirmedLine(int distance, int hashDistance, double correlation, const std::string& path)
{
    return "  " + rightAligned(distance, 3) + "  " + rightAligned(hashDistance, 2) + "  " + correlationText(correlation) +
           "  " + listedPath(path) + "\n";
}

std::string confirmedMemberLine(const NearGroup& group, std::size_t p)
{
    return confirmedLine(group.distances[p], group.hashDistances[p], group.greyCorrelations[p], group.paths[p]);
}

// "Grupo NUMBER (COUNT imágenes): KEY" and its pictures, one per line.
std::string groupText(std::size_t number, const NearGroup& group, bool showDistances)
{
    std::string text = std::string(groupHeadingStart) + std::to_string(number) + " (" + pictureCount(group.paths.size()) +
                       "): " + group.keyText + "\n";
    for (std::size_t p = 0; p < group.paths.size(); ++p)
        text += !group.hashDistances.empty() ? confirmedMemberLine(group, p) : memberLine(group.paths[p], showDistances ? std::optional(group.distances[p]) : std::nullopt);
    return text;
}

} // namespace

std::string errorLine(const std::string& path, const std::string& reason)
{
    return "velsaro-clave: " + escapedPath(path, false) + ": " + reason + "\n";
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
    std::string text = "\n" + std::string(matrixHeading) + "\n" + std::string(numberWidth, ' ');
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

// The picture's key line; its matches follow as a group lists its pictures with their distances.
void TextOutput::writeQuery(const PictureResult& query)
{
    if (query.key)
        printOut(keyLine(query.key->text, query.path));
}

// A match confirmed by the fingerprints as a confirmed group's member; one without a fingerprint
// says that the key alone matched it.
void TextOutput::writeMatch(const CatalogueMatch& match)
{
    if (match.hashDistance && match.greyCorrelation)
        printBuffered(confirmedLine(match.distance, *match.hashDistance, *match.greyCorrelation, match.path));
    else
        printBuffered("  " + rightAligned(match.distance, 3) + "  solo por la clave  " + listedPath(match.path) + "\n");
}

void TextOutput::writePruned(std::size_t count)
{
    printOut("Imágenes quitadas del catálogo: " + std::to_string(count) + "\n");
}

void TextOutput::writeImported(const ImportSummary& summary)
{
    std::string text = "Imágenes importadas al catálogo: " + std::to_string(summary.imported) + "\n";
    if (summary.withoutFile > 0)
        text += "De ellas, rutas que no llevan a ningún archivo: " + std::to_string(summary.withoutFile) + "\n";
    printOut(text);
}

} // namespace velsaro::cli
