// The plain text output: one line per key, like sha256sum, then the groups of pictures alike in key,
// the table of distances, or the catalogue's pictures near each picture.
#pragma once

#include "cli/output.h"

#include <string>

namespace velsaro::cli {

// "KEY  PATH\n". A path holding a backslash, a line break or another control or direction character
// (see visible_text.h) is written with them escaped as "\\", "\n" and "\xNN" for each byte of the
// others, and the line then starts with a backslash, so that every line stays one picture and shows
// what its path holds.
std::string keyLine(const std::string& keyText, const std::string& path);

// The path as a list under a heading shows it: escaped as in keyLine behind a leading backslash when
// it holds a backslash or a hidden character, else as it is.
std::string listedPath(const std::string& path);

// "velsaro-clave: PATH: REASON\n", for the error stream; hidden characters in the path are escaped as
// in keyLine, backslashes are not.
std::string errorLine(const std::string& path, const std::string& reason);

class TextOutput final : public Output {
public:
    // With showDistances, each picture of a group is listed behind its distance to the group's first.
    TextOutput(const Console& console, bool showDistances);

private:
    void writePicture(const PictureResult& result) override;
    void writeGroups(const std::vector<NearGroup>& groups) override;
    void writeMatrix(const DistanceMatrix& matrix) override;
    void writeQuery(const PictureResult& query, const std::vector<CatalogueMatch>& matches) override;
    void writeEnd() override {}

    bool showDistances_;
};

} // namespace velsaro::cli
