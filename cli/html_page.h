// The page of near copies that --html writes beside the normal output: a browser shows it without a
// network or scripts, the thumbnails in a folder beside it as browsers save pages.
#pragma once

#include "cli/console.h"
#include "cli/near_groups.h"
#include "cli/page_files.h"

#include <optional>
#include <string>
#include <vector>

namespace velsaro::cli {

// Per group of two or more pictures: its key and command lines that open it in the desktop program
// (one per part of up to eight pictures, which is what the program holds), and per picture a
// thumbnail of what the key reads (the drawing area, a third of its size), its path, its distance to
// the group's first picture and its file's size; then how many pictures matched no other.
class HtmlPage {
public:
    // fitted: the thumbnails show the pictures scaled whole into the area, as --fit keys them.
    HtmlPage(const std::string& file, bool fitted);

    // Why the page or its thumbnails' folder cannot be written, if they cannot; checked before the
    // pictures are keyed.
    std::optional<PageFailure> prepare();

    // Writes the thumbnails, read as the program reads pictures (only the region it shows) on jobs
    // threads with their progress on a terminal, and the page; why it could not, if it could not. The
    // folder then holds only the thumbnails the page uses.
    std::optional<PageFailure> write(const std::vector<NearGroup>& groups, std::size_t pictureCount, int maxDistance,
                                     int jobs, const Console& console);

private:
    std::string file_;
    bool fitted_;
    std::string folder_;
    PageFiles files_;
};

// The folder of file's thumbnails: its name without ".html" or ".htm", then "_archivos".
std::string thumbnailFolder(const std::string& file);

} // namespace velsaro::cli
