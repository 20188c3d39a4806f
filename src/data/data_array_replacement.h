// Replacing every file of a data array as one step.
//
// The new files are written in a private staging directory beside the destination,
// under the destination's base name. A marker file, the destination's base name with
// the extension ".daJ", names that directory and the files of the new data array while
// the old files are moved aside into the directory's "old/" and the new ones moved in;
// removing the marker commits the replacement. Opening a data array whose marker exists
// rolls the interrupted replacement back, so after a crash at any moment the data array
// is wholly old or wholly new.
#pragma once

#include <string>

#include "data/staging_directory.h"

namespace tessary {

// Moves the data array staged under the destination's base name in `staging` (made for
// `destinationStem`, directory + base name, with kDataArrayStaging) over the
// destination, and removes the staging directory. Raises when that fails; the old data
// array is then in place again, or will be once it is next opened.
void replaceDataArray(StagingDirectory& staging, const std::string& destinationStem);

// Rolls back an interrupted replacement of the data array at `stem` when its marker
// exists; raises when that fails.
void recoverDataArray(const std::string& stem);

}  // namespace tessary
