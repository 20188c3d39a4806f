#include "data/staging_directory.h"

#include <utility>

#include "frame/failure.h"
#include "platform/directories.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tessary {
namespace {

std::string withoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && isSeparator(path.back()))
    path.pop_back();
  return path;
}

std::string systemReason() {
  return systemErrorText(lastSystemError());
}

}  // namespace

StagingDirectory::StagingDirectory(const std::string& destination, const std::string& purpose) {
  const std::string target = withoutTrailingSeparators(destination);
  const std::string parent = directoryOf(target);
  path_ = createUniqueDirectory(parent, "." + baseNameOf(target) + "." + purpose + "-");
  if (path_.empty())
    raiseFailure(formatText("%s: can't create a working directory there (%s)",
                            (parent.empty() ? std::string(".") : parent).c_str(),
                            systemReason().c_str()));
}

StagingDirectory::~StagingDirectory() {
  if (!path_.empty()) removeDirectoryTree(path_);
}

std::string StagingDirectory::release() {
  return std::exchange(path_, "");
}

void StagingDirectory::publishInto(const std::string& directory,
                                   const std::vector<std::string>& names) const {
  const std::string target = withoutTrailingSeparators(directory);
  if (!makeDirectories(target))
    raiseFailure(
        formatText("%s: can't create the directory (%s)", target.c_str(), systemReason().c_str()));
  for (const std::string& name : names)
    moveIntoPlace(file(name), target + "/" + name);
}

void moveIntoPlace(const std::string& from, const std::string& to) {
  if (!renamePath(from, to))
    raiseFailure(formatText("%s: can't move the new file into place (%s)", to.c_str(),
                            systemReason().c_str()));
}

}  // namespace tessary
