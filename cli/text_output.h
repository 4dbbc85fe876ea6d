// The plain text output: one line per key, like sha256sum, then the groups of pictures alike in key,
// the table of distances, or the catalogue's pictures near each picture.
#pragma once

#include "catalogue/key_list.h"
#include "cli/output.h"

#include <string>

namespace velsaro::cli {

// "velsaro-clave: PATH: REASON\n", for the error stream; a line break in the path is written "\n".
std::string errorLine(const std::string& path, const std::string& reason);

class TextOutput final : public Output {
public:
    // With showDistances, each picture of a group is listed behind its distance to the group's first.
    TextOutput(const Console& console, bool showDistances);

private:
    void writePicture(const PictureResult& result) override;
    void writeGroups(const std::vector<NearGroup>& groups) override;
    void writeMatrix(const DistanceMatrix& matrix) override;
    void writeQuery(const PictureResult& query) override;
    void writeMatch(const CatalogueMatch& match) override;
    void writePruned(std::size_t count) override;
    void writeImported(const ImportSummary& summary) override;
    void writeEnd() override {}

    bool showDistances_;
};

} // namespace velsaro::cli
