// What the fuzz targets share: the private working directory of one fuzzing process: "<temporary
// directory> tessary_fuzz_<name>_<process id>/". Making it first removes the directories that
// earlier runs of the same target left behind when a finding, a timeout or a kill
// stopped them (their processes are gone); its own is removed when the process exits
// normally.
#pragma once

#include <cstdlib>
#include <string>

namespace tessary::fuzzing {

// Ends the run as a finding when `condition` is false.
inline void require(bool condition) {
  if (!condition) std::abort();
}

// Creates the directory on the first call and returns its path, ending in '/'.
const std::string& scratchDirectory(const std::string& name);
// The same in memory-backed /dev/shm where there is one, for targets that write every
// input to files.
const std::string& memoryScratchDirectory(const std::string& name);

}  // namespace tessary::fuzzing
