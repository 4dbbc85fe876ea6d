// Keying a batch through a catalogue: stored keys for unchanged files, and storing the others.
#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/paths.h"
#include "cli/batch.h"
#include "cli/output.h"
#include "cli/picture_list.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velsaro::cli {

// The catalogue in file, or none after the output has said why it cannot be used.
std::unique_ptr<Catalogue> openCatalogue(const std::string& file, CatalogueAccess access, Output& output);

// One batch keyed through a catalogue, plain or fitted as the keying asks: a picture whose file is the
// one the catalogue keyed, and whose key of that kind is stored with its fingerprint, is not decoded;
// every other picture is keyed with its fingerprint and stored, in batches.
class CataloguedBatch {
public:
    CataloguedBatch(Catalogue& catalogue, const std::vector<PictureEntry>& entries, Keying keying);

    // On a worker thread: the stored key, or the picture keyed from its file.
    PictureResult key(std::size_t index);
    // On the delivering thread, in list order: stores what was keyed from a file.
    void keep(std::size_t index, const PictureResult& result);
    // Commits what is pending, while the batch waits for a slow picture.
    void pause();
    // Commits the rest; the first failure of the catalogue during the batch, if any.
    std::optional<std::string> finish();

private:
    void fail(const CatalogueError& error);

    Catalogue& catalogue_;
    const std::vector<PictureEntry>& entries_;
    Keying keying_;
    KeyKind kind_;
    std::vector<std::string> cataloguePaths_; // of the entries, each folder resolved once
    std::vector<std::optional<FileIdentity>> identities_; // of pictures keyed from their file
    std::optional<std::string> error_;
};

} // namespace velsaro::cli
