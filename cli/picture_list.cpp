#include "cli/picture_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace velsaro::cli {

namespace {

namespace fs = std::filesystem;

std::string lowercase(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Regular files only (following links): a pipe named .jpg would block the read for ever, and a link
// that leads nowhere is not a picture in the folder.
bool isPictureFile(const fs::directory_entry& entry)
{
    std::error_code error;
    return entry.is_regular_file(error) && hasPictureExtension(entry.path().filename().string());
}

struct FolderWalk {
    std::vector<std::string> pictures;
    bool readable = true;
};

// Subfolders that cannot be opened are passed over, so that one locked folder does not hide the rest.
FolderWalk walkFolder(const std::string& folder)
{
    FolderWalk walk;
    std::error_code error;
    fs::recursive_directory_iterator entry(folder, fs::directory_options::skip_permission_denied,
                                           error);
    if (error) {
        walk.readable = false;
        return walk;
    }
    for (; entry != fs::recursive_directory_iterator(); entry.increment(error)) {
        if (error)
            break;
        if (isPictureFile(*entry))
            walk.pictures.push_back(entry->path().string());
    }
    std::sort(walk.pictures.begin(), walk.pictures.end());
    return walk;
}

void appendFolder(std::vector<PictureEntry>& entries, const std::string& folder)
{
    const FolderWalk walk = walkFolder(folder);
    if (!walk.readable)
        entries.push_back({folder, "no se puede leer la carpeta"});
    else if (walk.pictures.empty())
        entries.push_back({folder, "la carpeta no contiene imágenes BMP, JPEG o GIF"});
    for (const std::string& picture : walk.pictures)
        entries.push_back({picture, {}});
}

} // namespace

bool hasPictureExtension(const std::string& name)
{
    const std::string lower = lowercase(name);
    for (const char* extension : {".bmp", ".jpg", ".jpeg", ".gif"}) {
        const std::string suffix = extension;
        if (lower.size() > suffix.size() && lower.ends_with(suffix))
            return true;
    }
    return false;
}

std::vector<PictureEntry> listPictures(const std::vector<std::string>& arguments)
{
    std::vector<PictureEntry> entries;
    for (const std::string& argument : arguments) {
        std::error_code error;
        if (fs::is_directory(argument, error))
            appendFolder(entries, argument);
        else
            entries.push_back({argument, {}});
    }
    return entries;
}

} // namespace velsaro::cli
