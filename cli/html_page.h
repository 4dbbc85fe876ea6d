// The page of near copies that --html writes beside the normal output: a browser shows it without a
// network or scripts, the thumbnails in a folder beside it as browsers save pages.
#pragma once

#include "cli/console.h"
#include "cli/near_groups.h"

#include <optional>
#include <string>
#include <vector>

namespace velsaro::cli {

// Per group of two or more pictures: its key and a command line that opens it (up to eight pictures)
// in the desktop program, and per picture a thumbnail of what the key reads (the drawing area, a
// third of its size), its path, its distance to the group's first picture and its file's size; then
// how many pictures matched no other. The thumbnails are read as the program reads pictures (only
// the region it shows) on jobs threads, with their progress on a terminal. Returns why the page
// could not be written, if it could not.
std::optional<std::string> writeHtmlPage(const std::string& file, const std::vector<NearGroup>& groups,
                                         std::size_t pictureCount, int maxDistance, int jobs, const Console& console);

// The folder of file's thumbnails: its name without ".html" or ".htm", then "_archivos".
std::string thumbnailFolder(const std::string& file);

} // namespace velsaro::cli
