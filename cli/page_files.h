// Where the page of --html and its thumbnails are written: first into a private folder beside the
// page, then moved into place. Nothing is written through a link someone put at a file's name (in a
// shared folder such as /tmp, another user could choose which of the runner's files it overwrote),
// and a run that fails leaves the previous page whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velsaro::cli {

// Why a file of the page could not be written: the file and the reason, as an error line gives them.
struct PageFailure {
    std::string path;
    std::string reason;
};

// "000001.jpg" for the first thumbnail; thumbnails are numbered from 1 in page order.
std::string thumbnailName(std::size_t number);

class PageFiles {
public:
    // page: the page's path; folder: its thumbnails' folder, beside it.
    PageFiles(std::string page, std::string folder);
    // Removes the private folder and whatever is left in it.
    ~PageFiles();
    PageFiles(const PageFiles&) = delete;
    PageFiles& operator=(const PageFiles&) = delete;

    // Checks that the page and the folder can go where they are asked to, and makes the private
    // folder; why not, if they cannot. Meant to run before the slow work, so that it is not wasted.
    std::optional<PageFailure> prepare();

    // Writes a new file named name into the private folder; 0, or the errno of what failed. Safe
    // to call from several threads at once.
    int write(const std::string& name, std::string_view bytes) const;

    // Moves the written thumbnails (their names in ascending order) into the folder (made if it is missing), removes the thumbnails
    // there that the new page does not use, then moves the page, written as pageName, into place.
    std::optional<PageFailure> place(const std::vector<std::string>& thumbnails, const std::string& pageName);

private:
    std::optional<PageFailure> moveThumbnails(int folder, const std::vector<std::string>& thumbnails);
    void removeStaleThumbnails(int folder, const std::vector<std::string>& thumbnails) const;

    std::string page_;
    std::string folder_;
    std::string private_; // empty until prepare makes it
    int privateFd_ = -1;
};

} // namespace velsaro::cli
