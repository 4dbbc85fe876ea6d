// What velsaro-clave writes, in whichever format the command line chose: the interface each format
// implements, and the progress line and error lines that all formats share.
#pragma once

#include "catalogue/catalogue_results.h"
#include "cli/arguments.h"
#include "cli/batch.h"
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

    // --find: one picture (or why it failed), then each catalogue picture near it as the search finds
    // it, nearest first.
    void query(const PictureResult& query);
    void match(const CatalogueMatch& match);
    // --prune alone: how many pictures it dropped.
    void prunedCount(std::size_t count);
    // --import: how many keys it stored, and how many of their paths lead to no file.
    void imported(const ImportSummary& summary);
    // "velsaro-clave: PATH: REASON" on the error stream.
    void error(const std::string& path, const std::string& reason);
    // "velsaro-clave: TEXT" on the error stream.
    void message(const std::string& text);

    const Console& console() const { return console_; }

protected:
    void printOut(std::string_view text);
    // For the many short lines of a search's matches: written in blocks, before anything else is.
    void printBuffered(std::string_view text);

private:
    virtual void writePicture(const PictureResult& result) = 0;
    virtual void writeGroups(const std::vector<NearGroup>& groups) = 0;
    virtual void writeMatrix(const DistanceMatrix& matrix) = 0;
    virtual void writeQuery(const PictureResult& query) = 0;
    virtual void writeMatch(const CatalogueMatch& match) = 0;
    virtual void writePruned(std::size_t count) = 0;
    virtual void writeImported(const ImportSummary& summary) = 0;
    virtual void writeEnd() = 0;

    void flushBuffered();

    const Console& console_;
    std::string buffered_;
    ProgressLine progress_;
    std::size_t done_ = 0;
};

// The output of the format that options ask for.
std::unique_ptr<Output> makeOutput(const Options& options, const Console& console);

} // namespace velsaro::cli
