// What velsaro-clave writes, in whichever format the command line chose: the interface each format
// implements, and the progress line and error lines that all formats share.
#pragma once

#include "cli/arguments.h"
#include "cli/batch.h"
#include "cli/catalogue.h"
#include "cli/console.h"
#include "cli/near_groups.h"
#include "cli/progress_line.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velsaro::cli {

class Output {
public:
    explicit Output(const Console& console);
    virtual ~Output() = default;
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // A batch of total pictures begins: a long one shows its progress when errors go to a terminal.
    void startProgress(std::size_t total);
    // One picture's key, or why it failed, in list order.
    void picture(const PictureResult& result);
    // After the pictures: their groups, the distances between them, and the end of the output.
    void groups(const std::vector<NearGroup>& groups);
    void matrix(const DistanceMatrix& matrix);
    void finish();

    // --find: one picture and the catalogue's pictures near it.
    void query(const PictureResult& query, const std::vector<CatalogueMatch>& matches);
    // --prune alone: "Imágenes quitadas del catálogo: N".
    void prunedCount(std::size_t count);
    // --import: "Imágenes importadas al catálogo: N".
    void importedCount(std::size_t count);
    // "velsaro-clave: PATH: REASON" on the error stream.
    void error(const std::string& path, const std::string& reason);
    // "velsaro-clave: TEXT" on the error stream.
    void message(const std::string& text);

    const Console& console() const { return console_; }

protected:
    void printOut(std::string_view text);

private:
    virtual void writePicture(const PictureResult& result) = 0;
    virtual void writeGroups(const std::vector<NearGroup>& groups) = 0;
    virtual void writeMatrix(const DistanceMatrix& matrix) = 0;
    virtual void writeQuery(const PictureResult& query, const std::vector<CatalogueMatch>& matches) = 0;
    virtual void writeEnd() = 0;

    const Console& console_;
    ProgressLine progress_;
    std::size_t done_ = 0;
};

// The output of the format that options ask for.
std::unique_ptr<Output> makeOutput(const Options& options, const Console& console);

} // namespace velsaro::cli
