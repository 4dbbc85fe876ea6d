#include "cli/near_output.h"

#include "cli/json_output.h"

namespace velsaro::cli {

namespace {

std::string rightAligned(int number, std::size_t width)
{
    std::string text = std::to_string(number);
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

std::string distanceLine(int distance, const std::string& path)
{
    return "  " + rightAligned(distance, 3) + "  " + listedPath(path) + "\n";
}

std::string jsonPath(const std::string& path)
{
    return jsonString(path);
}

} // namespace

std::vector<KeyGroup> keyGroupsOf(const std::vector<NearGroup>& groups)
{
    std::vector<KeyGroup> keyGroups;
    for (const NearGroup& group : groups)
        keyGroups.push_back({group.keyText, group.paths});
    return keyGroups;
}

std::string nearGroupsText(const std::vector<NearGroup>& groups)
{
    if (groups.empty())
        return {};
    std::string text = "\n";
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const NearGroup& group = groups[i];
        text += groupHeading(i + 1, group.paths.size(), group.keyText);
        for (std::size_t p = 0; p < group.paths.size(); ++p)
            text += distanceLine(group.distances[p], group.paths[p]);
    }
    return text;
}

std::string jsonGroups(const std::vector<NearGroup>& groups)
{
    return jsonArray(groups, [](const NearGroup& group) {
        return "{\"key\": " + jsonString(group.keyText) + ", \"paths\": " + jsonArray(group.paths, jsonPath) +
               ", \"distances\": " + jsonArray(group.distances, jsonInteger) + "}";
    });
}

DistanceMatrix distanceMatrix(const std::vector<std::string>& paths, const std::vector<KeyCodes>& codes)
{
    DistanceMatrix matrix{paths, {}};
    for (const KeyCodes& row : codes) {
        std::vector<int> distances;
        for (const KeyCodes& column : codes)
            distances.push_back(keyDistance(row, column));
        matrix.distances.push_back(distances);
    }
    return matrix;
}

std::string matrixText(const DistanceMatrix& matrix)
{
    if (matrix.paths.empty())
        return {};
    const std::size_t numberWidth = std::to_string(matrix.paths.size()).size();
    std::string text = "\nDistancias en bits:\n" + std::string(numberWidth, ' ');
    for (std::size_t column = 0; column < matrix.paths.size(); ++column)
        text.append(" ").append(rightAligned(int(column + 1), 3));
    text += "\n";
    for (std::size_t row = 0; row < matrix.paths.size(); ++row) {
        text += rightAligned(int(row + 1), numberWidth);
        for (int distance : matrix.distances[row])
            text.append(" ").append(rightAligned(distance, 3));
        text += "  " + listedPath(matrix.paths[row]) + "\n";
    }
    return text;
}

std::string jsonMatrix(const DistanceMatrix& matrix)
{
    return "{\"paths\": " + jsonArray(matrix.paths, jsonPath) + ", \"distances\": " +
           jsonArray(matrix.distances, [](const std::vector<int>& row) { return jsonArray(row, jsonInteger); }) +
           "}";
}

std::string findText(const PictureResult& query, const std::vector<CatalogueMatch>& matches)
{
    std::string text = keyLine(query.key->text, query.path);
    for (const CatalogueMatch& match : matches)
        text += distanceLine(match.distance, match.path);
    return text;
}

std::string jsonQuery(const PictureResult& query, const std::vector<CatalogueMatch>& matches)
{
    if (!query.key)
        return "{\"path\": " + jsonString(query.path) + ", \"error\": " + jsonString(query.error) + "}";
    return "{\"path\": " + jsonString(query.path) + ", \"key\": " + jsonString(query.key->text) +
           ", \"matches\": " + jsonArray(matches, [](const CatalogueMatch& match) {
               return "{\"path\": " + jsonString(match.path) + ", \"distance\": " +
                      std::to_string(match.distance) + "}";
           }) + "}";
}

} // namespace velsaro::cli
