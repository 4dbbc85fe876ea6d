// The command line of velsaro-clave: options, paths, and the help text that explains them.
#pragma once

#include <string>
#include <vector>

namespace velsaro::cli {

// Largest number of worker threads accepted by -j.
inline constexpr int maxJobs = 1024;

struct Options {
    bool compare = false; // group the pictures by key after the keys
    bool json = false;    // one JSON document instead of the lines
    int jobs = 1;         // worker threads
    int nearDistance = 0; // --near: most bits by which a picture may differ from its group's first
    bool matrix = false;  // the table of distances between every two pictures after the keys
    std::string catalogue; // --catalogue FILE; empty without one
    bool find = false;     // search the catalogue for the pictures near each path
    bool merge = false;    // the paths are catalogues to fold into the catalogue
    bool prune = false;    // drop the catalogue's pictures whose file is gone
    std::vector<std::string> paths;
};

// Largest number of pictures --matrix tabulates.
inline constexpr std::size_t maxMatrixPictures = 64;

enum class Request { Run, ShowHelp, ShowVersion, UsageError };

struct ParsedArguments {
    Request request = Request::Run;
    Options options;
    std::string error; // what is wrong with the command line, for UsageError
};

// arguments excludes the program name; defaultJobs is used when no -j is given.
ParsedArguments parseArguments(const std::vector<std::string>& arguments, int defaultJobs);

std::string helpText(int defaultJobs);

// "velsaro-clave VERSION", the version of the package it came in.
std::string versionText();

// The line that follows a usage error.
std::string helpHint();

} // namespace velsaro::cli
