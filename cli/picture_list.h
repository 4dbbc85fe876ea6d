// The pictures a command line names: its files as given, and the pictures found in its folders.
#pragma once

#include <string>
#include <vector>

namespace velsaro::cli {

struct PictureEntry {
    std::string path;  // as shown: the argument, or a folder argument joined with the file's path in it
    std::string error; // set when the argument cannot give a picture at all (a folder without pictures)
};

// True for names ending in .bmp, .jpg, .jpeg or .gif in any letter case.
bool hasPictureExtension(const std::string& name);

// One entry per file argument, in argument order; a folder argument is replaced by the pictures in it
// and its subfolders and by an entry with an error for each folder or entry in them that cannot be
// read, all sorted by path.
std::vector<PictureEntry> listPictures(const std::vector<std::string>& arguments);

} // namespace velsaro::cli
