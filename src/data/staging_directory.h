// Writing files so that a failure leaves nothing behind: they are made in a private
// directory beside their destination (so moving them is a rename within one file
// system) and moved into place only once all of them are complete. Data sets replace
// their files through it (data_array_replacement.h), and so do the tool's outputs.
#pragma once

#include <string>
#include <vector>

namespace tessary {

// The purpose a data array's staging directory is named for.
inline constexpr const char* kDataArrayStaging = "import";

class StagingDirectory {
 public:
  // Creates ".<base>.<purpose>-XXXXXX" in the directory that holds `destination`;
  // raises when the system refuses (the parent must exist).
  StagingDirectory(const std::string& destination, const std::string& purpose);
  // Removes the directory with whatever was not moved out of it, unless released.
  ~StagingDirectory();
  StagingDirectory(const StagingDirectory&) = delete;
  StagingDirectory& operator=(const StagingDirectory&) = delete;

  // The directory's path, ending in '/'.
  const std::string& path() const { return path_; }
  // path() + name
  std::string file(const std::string& name) const { return path_ + name; }

  // Creates `directory` when absent and moves the named files into it, replacing files
  // of the same names there; other files in it stay.
  void publishInto(const std::string& directory, const std::vector<std::string>& names) const;

  // Hands the directory on to a caller that removes it; returns its path.
  std::string release();

 private:
  std::string path_;
};

// Moves a finished file to its destination, replacing it; raises when that fails.
void moveIntoPlace(const std::string& from, const std::string& to);

}  // namespace tessary
