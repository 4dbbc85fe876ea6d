#include "cli/json_output.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <algorithm>

#include <charconv>
#include <cmath>
#include <cstdio>

namespace velsaro::cli {

namespace {

std::string validUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size())).toStdString();
}

void appendEscaped(std::string& json, char c)
{
    switch (c) {
    case '"': json += "\\\""; return;
    case '\\': json += "\\\\"; return;
    case '\b': json += "\\b"; return;
    case '\f': json += "\\f"; return;
    case '\n': json += "\\n"; return;
    case '\r': json += "\\r"; return;
    case '\t': json += "\\t"; return;
    default: break;
    }
    if (static_cast<unsigned char>(c) < 0x20) {
        char code[8];
        std::snprintf(code, sizeof code, "\\u%04x", unsigned(c));
        json += code;
    } else {
        json += c;
    }
}

std::string jsonLevel(const LevelResult& level)
{
    const auto row = [](const std::array<double, 3>& values) { return jsonArray(values, jsonNumber); };
    return "{\"N\": " + jsonInteger(level.n) + ", \"matrizP\": " + jsonArray(level.matrizP, row) +
           ", \"codes\": " + jsonArray(level.codes, [](std::int16_t code) { return jsonInteger(code); }) +
           "}";
}

bool isUtf8(const std::string& path)
{
    return QByteArrayView(path.data(), qsizetype(path.size())).isValidUtf8();
}

std::string base64(const std::string& bytes)
{
    return QByteArray(bytes.data(), qsizetype(bytes.size())).toBase64().toStdString();
}

// "path": the path as text and, for a path that is not UTF-8, "path_bytes" beside it: its bytes in
// base64, which the text (with U+FFFD for what is not UTF-8) cannot give back.
std::string pathMembers(const std::string& path)
{
    std::string json = "\"path\": " + jsonString(path);
    return isUtf8(path) ? json : json + ", \"path_bytes\": " + jsonString(base64(path));
}

// "paths" and, where any of them is not UTF-8, "paths_bytes" in the same order: null for a path that
// is UTF-8, its bytes in base64 for one that is not.
std::string pathsMembers(const std::vector<std::string>& paths)
{
    std::string json = "\"paths\": " + jsonArray(paths, [](const std::string& path) { return jsonString(path); });
    if (std::all_of(paths.begin(), paths.end(), isUtf8))
        return json;
    return json + ", \"paths_bytes\": " + jsonArray(paths, [](const std::string& path) {
        return isUtf8(path) ? std::string("null") : jsonString(base64(path));
    });
}

std::string jsonFailure(const PictureResult& result)
{
    return std::string("{") + pathMembers(result.path) + ", \"error\": " + jsonString(result.error) + "}";
}

std::string jsonGroups(const std::vector<NearGroup>& groups)
{
    return jsonArray(groups, [](const NearGroup& group) {
        std::string text = "{\"key\": " + jsonString(group.keyText) + ", " + pathsMembers(group.paths) +
                           ", \"distances\": " + jsonArray(group.distances, jsonInteger);
        if (!group.hashDistances.empty())
            text += ", \"hash_distances\": " + jsonArray(group.hashDistances, jsonInteger) +
                    ", \"grey_correlations\": " + jsonArray(group.greyCorrelations, correlationText);
        return text + "}";
    });
}

std::string jsonMatrix(const DistanceMatrix& matrix)
{
    const auto row = [](const std::vector<int>& distances) { return jsonArray(distances, jsonInteger); };
    return std::string("{") + pathsMembers(matrix.paths) + ", \"distances\": " + jsonArray(matrix.distances, row) + "}";
}

// A match confirmed by the fingerprints with their hash distance and grey correlation; one without a
// fingerprint marked as matched by the key alone.
std::string jsonMatch(const CatalogueMatch& match)
{
    const std::string agreement = match.hashDistance && match.greyCorrelation
                                      ? ", \"hash_distance\": " + jsonInteger(*match.hashDistance) +
                                            ", \"grey_correlation\": " + correlationText(*match.greyCorrelation)
                                      : std::string(", \"by_key_alone\": true");
    return std::string("{") + pathMembers(match.path) + ", \"distance\": " + jsonInteger(match.distance) + agreement + "}";
}

} // namespace

std::string jsonString(std::string_view text)
{
    std::string json = "\"";
    for (char c : validUtf8(text))
        appendEscaped(json, c);
    return json + "\"";
}

std::string jsonNumber(double value)
{
    if (!std::isfinite(value))
        return "null";
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string jsonPicture(const PictureResult& result)
{
    if (!result.key)
        return jsonFailure(result);
    const Key& key = *result.key;
    return std::string("{") + pathMembers(result.path) + ", \"key\": " + jsonString(key.text) +
           ", \"codes\": " + jsonArray(key.codes(), jsonInteger) +
           ", \"levels\": " + jsonArray(key.levels, jsonLevel) + "}";
}

JsonOutput::JsonOutput(const Console& console, std::string items) : Output(console), items_(std::move(items)) {}

void JsonOutput::writePicture(const PictureResult& result)
{
    writeItem(jsonPicture(result));
}

// {"path", "key", "matches": [...]}: the matches are written as they come, and the item is closed by
// the next one or the document's end.
void JsonOutput::writeQuery(const PictureResult& query)
{
    closeQuery();
    if (!query.key)
        return writeItem(jsonFailure(query));
    writeItem(std::string("{") + pathMembers(query.path) + ", \"key\": " + jsonString(query.key->text) +
              ", \"matches\": [");
    inQuery_ = true;
    firstMatch_ = true;
}

void JsonOutput::writeMatch(const CatalogueMatch& match)
{
    printBuffered((firstMatch_ ? "" : ", ") + jsonMatch(match));
    firstMatch_ = false;
}

void JsonOutput::closeQuery()
{
    if (inQuery_)
        printOut("]}");
    inQuery_ = false;
}

// --prune and --import: a document of their counts.
void JsonOutput::writePruned(std::size_t count)
{
    printOut("{\"pruned\": " + std::to_string(count) + "}\n");
}

void JsonOutput::writeImported(const ImportSummary& summary)
{
    printOut("{\"imported\": " + std::to_string(summary.imported) +
             ", \"without_file\": " + std::to_string(summary.withoutFile) + "}\n");
}

void JsonOutput::writeGroups(const std::vector<NearGroup>& groups)
{
    members_.emplace_back("groups", jsonGroups(groups));
}

void JsonOutput::writeMatrix(const DistanceMatrix& matrix)
{
    members_.emplace_back("matrix", jsonMatrix(matrix));
}

// The document is opened by its first item or its end, so that actions without either (--merge,
// --prune alone) write no JSON at all.
void JsonOutput::startDocument()
{
    if (!started_)
        printOut(std::string("{").append(jsonString(items_)).append(": [\n"));
    started_ = true;
}

void JsonOutput::writeItem(const std::string& json)
{
    const bool first = !started_;
    startDocument();
    printOut((first ? "" : ",\n") + json);
}

void JsonOutput::writeEnd()
{
    closeQuery();
    startDocument();
    std::string json = "\n]";
    for (const auto& [name, value] : members_)
        json += ",\n" + jsonString(name) + ": " + value;
    printOut(json + "}\n");
}

} // namespace velsaro::cli
