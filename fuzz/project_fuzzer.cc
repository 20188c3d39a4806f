// Any bytes read as a project file: _init reads what it can and reports the rest in
// its own message box; loading the survey and selecting the variables either work or
// raise a message. Paths are kept inside a private directory (inputs naming other
// directories are skipped), so whatever the file names is created there only.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/project.h"
#include "frame/failure.h"
#include "fuzz_scratch.h"
#include "platform/file.h"
#include "platform/presenter.h"

namespace {

int ignoreMessage(void*, const char*, const char*, unsigned int) {
  return tessary::kIdOk;
}

std::string freshDirectory() {
  const std::string& directory = tessary::fuzzing::scratchDirectory("project");
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
  std::filesystem::create_directories(directory);
  return directory;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  if (text.find_first_of("/\\") != std::string_view::npos) return 0;
  tessary::setMessageHandler(ignoreMessage);
  const std::string directory = freshDirectory();
  const std::string path = directory + "project.ini";
  tessary::writeWholeFile(path, text, tessary::Durability::kScratch);
  tessary::CProject project;
  project._init(path);
  try {
    project.loadSurveyCDA();
    project.setSelectedVars(static_cast<unsigned>(size % 8));
  } catch (const tessary::Failure&) {
  }
  return 0;
}
