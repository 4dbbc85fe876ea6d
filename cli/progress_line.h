// The progress of a long batch on a terminal: one line on the error stream, rewritten in place.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace velsaro::cli {

// More pictures than this show a progress line when the error stream is a terminal.
inline constexpr std::size_t quietBatchSize = 3;

// "velsaro-clave: 12/200 imágenes, 35,2 imágenes/s", for done of total pictures after seconds.
std::string progressText(std::size_t done, std::size_t total, double seconds);

class ProgressLine {
public:
    // Shows nothing unless enabled.
    ProgressLine(std::FILE* stream, std::size_t total, bool enabled);

    // Redraws the line with done pictures finished, at most ten times a second.
    void update(std::size_t done);
    // Removes the line, leaving the cursor at the start of the empty line, so that other output can be
    // written there; the next update draws it again.
    void erase();

private:
    using Clock = std::chrono::steady_clock;

    void draw(std::size_t done);

    std::FILE* stream_;
    std::size_t total_;
    bool enabled_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastDraw_{};
    std::size_t shownColumns_ = 0; // 0: nothing on screen
};

} // namespace velsaro::cli
