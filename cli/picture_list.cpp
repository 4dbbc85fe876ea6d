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

constexpr const char* unreadableFolder = "no se puede leer la carpeta";

enum class EntryKind { Picture, Folder, Other, Unreadable };

// Regular files only (following links): a pipe named .jpg would block the read for ever. A link
// that leads nowhere is not a picture in the folder, and a link to a folder is not walked, so that
// no walk goes round in circles. The type comes from the folder's listing where it gives it, so
// that a folder whose entries cannot be examined (no search permission) still shows which are
// pictures and folders.
EntryKind kindOf(const fs::directory_entry& entry)
{
    std::error_code error;
    const bool link = entry.is_symlink(error);
    const bool folder = !error && !link && entry.is_directory(error);
    if (error)
        return EntryKind::Unreadable;
    if (folder)
        return EntryKind::Folder;
    const bool regular = hasPictureExtension(entry.path().filename().string()) && entry.is_regular_file(error);
    if (error && error != std::errc::no_such_file_or_directory)
        return EntryKind::Unreadable;
    return regular ? EntryKind::Picture : EntryKind::Other;
}

// Appends the pictures of folder and its subfolders, and an entry with an error for every folder or
// entry that cannot be read, so that one locked folder neither hides the rest nor passes unseen.
void walkFolder(const fs::path& folder, std::vector<PictureEntry>& found)
{
    std::error_code error;
    fs::directory_iterator entry(folder, error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        switch (kindOf(*entry)) {
        case EntryKind::Picture: found.push_back({entry->path().string(), {}}); break;
        case EntryKind::Folder: walkFolder(entry->path(), found); break;
        case EntryKind::Unreadable: found.push_back({entry->path().string(), "no se puede leer"}); break;
        case EntryKind::Other: break;
        }
    }
    if (error)
        found.push_back({folder.string(), unreadableFolder});
}

void appendFolder(std::vector<PictureEntry>& entries, const std::string& folder)
{
    std::vector<PictureEntry> found;
    walkFolder(folder, found);
    std::sort(found.begin(), found.end(),
              [](const PictureEntry& a, const PictureEntry& b) { return a.path < b.path; });
    if (found.empty())
        entries.push_back({folder, "la carpeta no contiene imágenes BMP, JPEG o GIF"});
    entries.insert(entries.end(), found.begin(), found.end());
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
