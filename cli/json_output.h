// The --json output: one document, written picture by picture as the results arrive.
#pragma once

#include "cli/batch.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velsaro::cli {

// A JSON string literal of text read as UTF-8: quotes, backslashes and control characters escaped,
// invalid UTF-8 sequences replaced by U+FFFD so that the document stays valid.
std::string jsonString(std::string_view text);

// The shortest text that reads back as the same double; null for infinities and NaN, which JSON lacks.
std::string jsonNumber(double value);

inline std::string jsonInteger(int value)
{
    return std::to_string(value);
}

// [format(value), ...] for every value of a range.
template <typename Range, typename Format>
std::string jsonArray(const Range& values, Format format)
{
    std::string json = "[";
    for (const auto& value : values) {
        if (json.size() > 1)
            json += ", ";
        json += format(value);
    }
    return json + "]";
}

// {"path", "key", "codes", "levels"} for a keyed picture, {"path", "error"} for a failed one.
std::string jsonPicture(const PictureResult& result);

// The pieces of the document {"pictures": [...], "groups": [...]}, in writing order.
std::string jsonDocumentStart();
std::string jsonPictureSeparator();
// Closes the pictures and adds the members that follow them, each a name and its JSON value, in order.
using JsonMembers = std::vector<std::pair<std::string, std::string>>;
std::string jsonDocumentEnd(const JsonMembers& members);

} // namespace velsaro::cli
