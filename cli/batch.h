// Keying a list of pictures on several threads while handing the results on in list order.
#pragma once

#include "cli/picture_list.h"
#include "engine/key_engine.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velsaro::cli {

struct PictureResult {
    std::string path;
    std::optional<Key> key; // empty when the picture failed
    std::string error;      // why it failed, a short Spanish phrase
};

// Reads one picture, shows it in a drawing area and computes its key. Never throws.
PictureResult keyPicture(const PictureEntry& entry);

using ResultSink = std::function<void(const PictureResult&)>;

// Keys every entry on `jobs` worker threads and calls deliver, on the calling thread, once per entry
// in list order, each as soon as it and all before it are done. The results do not depend on jobs.
void keyPictures(const std::vector<PictureEntry>& entries, int jobs, const ResultSink& deliver);

} // namespace velsaro::cli
