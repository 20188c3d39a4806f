#include "platform/directories.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/fault_injection.h"
#include "platform/paths.h"

namespace tessary {

std::string createUniqueDirectory(std::string_view parent, std::string_view prefix) {
  if (hasNulByte(parent) || hasNulByte(prefix)) {
    errno = EINVAL;
    return "";
  }
  std::string pattern = nativePath(parent);
  if (!pattern.empty() && pattern.back() != '/') pattern += '/';
  pattern += prefix;
  pattern += "XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return "";
  return pattern + "/";
}

PrivateTemporaryDirectory::PrivateTemporaryDirectory(std::string_view prefix)
    : path_(createUniqueDirectory(temporaryDirectory(), prefix)) {
  if (!path_.empty()) previous_ = setTemporaryDirectory(path_);
}

PrivateTemporaryDirectory::~PrivateTemporaryDirectory() {
  if (path_.empty()) return;
  setTemporaryDirectory(previous_);
  removeDirectoryTree(path_);
}

bool renamePath(std::string_view from, std::string_view to) {
  const std::string target = nativePath(to);
  if (hasNulByte(from) || hasNulByte(to)) {
    errno = EINVAL;
    return false;
  }
  if (injectedFault(FileOperation::kRename, target) != 0) return false;
  return std::rename(nativePath(from).c_str(), target.c_str()) == 0;
}

bool syncDirectory(std::string_view path) {
  const std::string native = nativePath(path);
  if (hasNulByte(native)) {
    errno = EINVAL;
    return false;
  }
  if (injectedFault(FileOperation::kSync, native) != 0) return false;
  const int fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  // A file system that cannot sync directories says so with EINVAL; nothing to wait for.
  const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return synced;
}

void removeDirectoryTree(std::string_view path) {
  if (hasNulByte(path)) return;
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(nativePath(path)), ignored);
}

std::string absolutePath(std::string_view path) {
  std::error_code error;
  const std::filesystem::path native(nativePath(path));
  std::filesystem::path full = std::filesystem::absolute(native, error);
  if (error) return std::string(native);
  return full.lexically_normal().string();
}

std::string relativePath(std::string_view path, std::string_view directory) {
  const std::filesystem::path target(nativePath(path));
  const std::filesystem::path relative = target.lexically_relative(nativePath(directory));
  return relative.empty() ? target.string() : relative.string();
}

}  // namespace tessary

namespace tessary {

bool makeDirectories(std::string_view path) {
  if (hasNulByte(path)) {
    errno = EINVAL;
    return false;
  }
  std::error_code error;
  const std::filesystem::path native(nativePath(path));
  std::filesystem::create_directories(native, error);
  return std::filesystem::is_directory(native, error);
}

}  // namespace tessary
