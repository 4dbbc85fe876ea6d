// The --json output: one document, written picture by picture as the results arrive.
#pragma once

#include "cli/output.h"

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

// {"ITEMS": [item, ...], then any further members}: the items written as they arrive, the members
// (the groups, the table of distances) at the end.
class JsonOutput final : public Output {
public:
    // items names the document's array: "pictures", or "queries" for --find.
    JsonOutput(const Console& console, std::string items);

private:
    void writePicture(const PictureResult& result) override;
    void writeGroups(const std::vector<NearGroup>& groups) override;
    void writeMatrix(const DistanceMatrix& matrix) override;
    void writeQuery(const PictureResult& query) override;
    void writeMatch(const CatalogueMatch& match) override;
    void writePruned(std::size_t count) override;
    void writeImported(const ImportSummary& summary) override;
    void writeEnd() override;

    void startDocument();
    void writeItem(const std::string& json);
    void closeQuery();

    std::string items_;
    bool started_ = false;
    bool inQuery_ = false;    // a query's matches are being written
    bool firstMatch_ = false; // none of them yet
    std::vector<std::pair<std::string, std::string>> members_; // name, JSON value
};

} // namespace velsaro::cli
