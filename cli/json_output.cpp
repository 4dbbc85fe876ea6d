#include "cli/json_output.h"

#include <QString>

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

std::string pathField(const PictureResult& result)
{
    return "{\"path\": " + jsonString(result.path);
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
        return pathField(result) + ", \"error\": " + jsonString(result.error) + "}";
    const Key& key = *result.key;
    return pathField(result) + ", \"key\": " + jsonString(key.text) +
           ", \"codes\": " + jsonArray(key.codes(), jsonInteger) +
           ", \"levels\": " + jsonArray(key.levels, jsonLevel) + "}";
}

std::string jsonDocumentStart()
{
    return "{\"pictures\": [\n";
}

std::string jsonPictureSeparator()
{
    return ",\n";
}

std::string jsonDocumentEnd(const JsonMembers& members)
{
    std::string json = "\n]";
    for (const auto& [name, value] : members)
        json += ",\n" + jsonString(name) + ": " + value;
    return json + "}\n";
}

} // namespace velsaro::cli
