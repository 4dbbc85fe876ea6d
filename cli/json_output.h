// The --json output: one document, written picture by picture as the results arrive.
#pragma once

#include "cli/batch.h"
#include "cli/text_output.h"

#include <string>
#include <string_view>
#include <vector>

namespace velsaro::cli {

// A JSON string literal of text read as UTF-8: quotes, backslashes and control characters escaped,
// invalid UTF-8 sequences replaced by U+FFFD so that the document stays valid.
std::string jsonString(std::string_view text);

// The shortest text that reads back as the same double; null for infinities and NaN, which JSON lacks.
std::string jsonNumber(double value);

// {"path", "key", "codes", "levels"} for a keyed picture, {"path", "error"} for a failed one.
std::string jsonPicture(const PictureResult& result);

// The pieces of the document {"pictures": [...], "groups": [...]}, in writing order.
std::string jsonDocumentStart();
std::string jsonPictureSeparator();
// groups is written only when withGroups is set.
std::string jsonDocumentEnd(bool withGroups, const std::vector<KeyGroup>& groups);

} // namespace velsaro::cli
