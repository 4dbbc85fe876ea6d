// The command line of velsaro-clave: the action it asks for, its options, and the help text.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velsaro::cli {

// Largest number of worker threads accepted by -j.
inline constexpr int maxJobs = 1024;
// Largest D accepted by --near: every two keys are within their 216 bits.
inline constexpr int maxNearDistance = 216;
// Largest number of pictures --matrix tabulates.
inline constexpr std::size_t maxMatrixPictures = 64;

enum class Action {
    Key,     // the key of every picture
    Compare, // the keys, then the groups (--compare) and the table of distances (--matrix)
    Find,    // the catalogue's pictures near each picture
    Merge,   // the paths are catalogues to fold into the catalogue
    Import,  // the paths are key lists to store in the catalogue
    Prune,   // only drop the catalogue's pictures whose file is gone
};

struct Options {
    Action action = Action::Key;
    bool compare = false;  // group the pictures by key after the keys
    bool matrix = false;   // the table of distances between every two pictures after the keys
    bool json = false;     // one JSON document instead of the lines
    bool fit = false;      // each whole picture scaled into the drawing area before it is keyed
    int jobs = 1;          // worker threads
    int nearDistance = 0;  // --near: most bits by which a picture may differ from its group's first
    std::string catalogue; // --catalogue FILE; empty without one
    bool prune = false;    // after keying, drop the catalogue's pictures whose file is gone
    std::string htmlPage;  // --html FILE: the page of near copies beside the output; empty without one
    std::vector<std::string> paths;
};

enum class Request { Run, ShowHelp, ShowVersion, UsageError };

struct ParsedArguments {
    Request request = Request::Run;
    Options options;
    std::string error; // what is wrong with the command line, for UsageError
};

// arguments excludes the program name; defaultJobs is used when no -j is given.
ParsedArguments parseArguments(const std::vector<std::string>& arguments, int defaultJobs);

std::string helpText(int defaultJobs);

// "velsaro-clave VERSION\n", the version of the package it came in.
std::string versionText();

// The line that follows a usage error.
std::string helpHint();

} // namespace velsaro::cli
