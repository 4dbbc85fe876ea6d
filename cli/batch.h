// Keying a list of pictures on several threads while handing the results on in list order.
#pragma once

#include "cli/picture_list.h"
#include "engine/key_engine.h"
#include "picture/fingerprint.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velsaro::cli {

struct PictureResult {
    std::string path;
    std::optional<Key> key; // empty when the picture failed
    std::string error;      // why it failed, a short Spanish phrase
    std::optional<Fingerprint> fingerprint = {}; // of what the key read, when the keying asks for it
};

// How a picture is keyed: as the drawing area shows it, or scaled whole into it (--fit).
struct Keying {
    bool fit = false;
    bool fingerprints = false; // also the fingerprint of what the key read
};

// Reads one picture, shows it in a drawing area and computes its key. Never throws.
PictureResult keyPicture(const PictureEntry& entry, Keying keying = {});

// Keeps the memory of the pictures keyed in the process for the next ones: a picture read as the area
// shows it lives in a few blocks of about a MiB, which glibc would otherwise give back to the system
// after each picture and fault in again page by page for the next, at several times the cost of its
// key. Once, before any picture is keyed.
void keepPictureMemory();

using ResultSink = std::function<void(const PictureResult&)>;

// Keys every entry on `jobs` worker threads and calls deliver, on the calling thread, once per entry
// in list order, each as soon as it and all before it are done. The results do not depend on jobs.
void keyPictures(const std::vector<PictureEntry>& entries, int jobs, Keying keying, const ResultSink& deliver);

// The same for count pictures keyed by keyOne(index), which runs on the worker threads. While the
// next result is not ready for a while, whileWaiting (if set) runs on the calling thread, for work
// that should not wait for the next picture.
using PictureKeyer = std::function<PictureResult(std::size_t index)>;
void keyPictures(std::size_t count, int jobs, const PictureKeyer& keyOne, const ResultSink& deliver,
                 const std::function<void()>& whileWaiting);

} // namespace velsaro::cli
