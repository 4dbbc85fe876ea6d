// What velsaro-clave can be asked to do: one function per action, each writing through the output the
// command line chose and returning the exit status.
#pragma once

#include "cli/arguments.h"
#include "cli/output.h"

namespace velsaro::cli {

// The key of every picture of options.paths, through the catalogue if one is given (then --prune).
int keyBatch(const Options& options, Output& output);

// The keys as keyBatch gives them, then the groups of equal or near keys (--compare) and the table of
// distances between the pictures (--matrix).
int compareBatch(const Options& options, Output& output);

// --find: for each picture, the catalogue's pictures within options.nearDistance bits.
int findNearPictures(const Options& options, Output& output);

// --merge: folds the catalogues of options.paths into options.catalogue.
int mergeCatalogues(const Options& options, Output& output);

// --import: stores the keys of the key lines of options.paths (files of the tool's text output, "-"
// for standard input), all or none.
int importKeyLists(const Options& options, Output& output);

// --prune without pictures: drops the catalogue's pictures whose file is gone and says how many.
int pruneCatalogue(const Options& options, Output& output);

} // namespace velsaro::cli
