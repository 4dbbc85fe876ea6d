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

// "velsaro-clave VERSION", the version of the package it came in.
std::string versionText();

// The line that follows a usage error.
std::string helpHint();

} // namespace velsaro::cli
