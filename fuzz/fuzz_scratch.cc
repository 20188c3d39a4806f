#include "fuzz_scratch.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/paths.h"

namespace tessary::fuzzing {
namespace {

// True when no process with this id runs any longer.
bool processGone(const std::string& id) {
  char* end = nullptr;
  const long pid = std::strtol(id.c_str(), &end, 10);
  if (id.empty() || *end != '\0' || pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

void removeLeftovers(const std::string& parent, const std::string& prefix) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(parent, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0 && processGone(name.substr(prefix.size())))
      std::filesystem::remove_all(entry.path(), error);
  }
}

struct Scratch {
  std::string path;
  Scratch(const std::string& parent, const std::string& name) {
    const std::string prefix = "tessary_fuzz_" + name + "_";
    removeLeftovers(parent, prefix);
    path = parent + prefix + std::to_string(::getpid()) + "/";
    std::filesystem::create_directories(path);
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

}  // namespace

const std::string& scratchDirectory(const std::string& name) {
  static Scratch scratch(temporaryDirectory(), name);  // destroyed, and removed, at exit
  return scratch.path;
}

const std::string& memoryScratchDirectory(const std::string& name) {
  std::error_code error;
  static Scratch scratch(
      std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm/" : temporaryDirectory(), name);
  return scratch.path;
}

}  // namespace tessary::fuzzing
