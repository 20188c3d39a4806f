// Whole-file replacement: stage, sync, rename, sync the directory (the syncs only for
// durable writes).
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

#include "platform/directories.h"
#include "platform/file.h"
#include "platform/paths.h"

namespace tessary {
namespace {

// Symbolic links crossed before a path counts as a loop (the system's own limit).
constexpr int kMostLinks = 40;

// The path with every symbolic link along its last component followed, so that the
// file a link names is replaced and the link stays; a dangling link gives the path it
// points to. Empty, with errno set, when the links loop.
std::string followLinks(std::string path) {
  for (int crossed = 0; crossed < kMostLinks; ++crossed) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::string target(static_cast<std::size_t>(info.st_size) + 1, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return path;
    target.resize(static_cast<std::size_t>(length));
    path = target.starts_with('/') ? target : directoryOf(path) + target;
  }
  errno = ELOOP;
  return "";
}

// A name beside `target` that no other writer uses: the process id tells processes
// apart, the counter the writes of one process.
std::string stagingName(const std::string& target) {
  static std::atomic<unsigned> next{0};
  return directoryOf(target) + "." + baseNameOf(target) + "." + std::to_string(::getpid()) + "-" +
         std::to_string(next.fetch_add(1)) + "~";
}

bool writeAll(File& file, std::string_view content) {
  return file.write(content.data(), content.size()) == content.size();
}

bool writeThroughStaging(const std::string& target, std::string_view content,
                         Durability durability) {
  const bool durable = durability == Durability::kDurable;
  File file;
  std::string staging;
  for (int attempt = 0;; ++attempt) {
    staging = stagingName(target);
    if (file.open(staging, File::Mode::kCreateNew)) break;
    if (errno != EEXIST || attempt == 100) return false;
  }
  // A replaced file keeps its permissions.
  struct stat old;
  if (::stat(target.c_str(), &old) == 0) ::chmod(staging.c_str(), old.st_mode & 07777);
  bool done = writeAll(file, content) && (!durable || file.sync());
  file.close();
  done = done && renamePath(staging, target);
  if (!done) {
    const int error = errno;
    removeFile(staging);
    errno = error;
    return false;
  }
  if (!durable) return true;
  const std::string directory = directoryOf(target);
  return syncDirectory(directory.empty() ? "." : directory);
}

}  // namespace

bool writeWholeFile(std::string_view path, std::string_view content, Durability durability) {
  const std::string native = nativePath(path);
  if (hasNulByte(native)) {
    errno = EINVAL;
    return false;
  }
  struct stat info;
  if (::stat(native.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    if (S_ISDIR(info.st_mode)) {
      errno = EISDIR;
      return false;
    }
    File direct;
    return direct.open(native, File::Mode::kWriteOnly) && writeAll(direct, content);
  }
  const std::string target = followLinks(native);
  return !target.empty() && writeThroughStaging(target, content, durability);
}

}  // namespace tessary
