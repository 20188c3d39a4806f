#include "platform/paths.h"

#include <cstdlib>
#include <utility>

namespace tessary {

bool isSeparator(char c) {
  return c == '/' || c == '\\';
}

std::string nativePath(std::string_view path) {
  std::string out(path);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

bool hasNulByte(std::string_view path) {
  return path.find('\0') != std::string_view::npos;
}

bool isFullPath(std::string_view path) {
  return !path.empty() && isSeparator(path.front());
}

static std::size_t afterLastSeparator(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (isSeparator(path[i - 1])) return i;
  return 0;
}

std::string directoryOf(std::string_view path) {
  return std::string(path.substr(0, afterLastSeparator(path)));
}

std::string baseNameOf(std::string_view path) {
  return std::string(path.substr(afterLastSeparator(path)));
}

std::string stemOf(std::string_view path) {
  std::string base = baseNameOf(path);
  std::size_t dot = base.rfind('.');
  if (dot != std::string::npos) base.resize(dot);
  return base;
}

std::string resolveAgainst(std::string_view directory, std::string_view path) {
  if (isFullPath(path)) return std::string(path);
  std::string out(directory);
  if (!out.empty() && !isSeparator(out.back())) out += '/';
  out += path;
  return out;
}

namespace {

std::string& privateTemporaryDirectory() {
  static std::string directory;
  return directory;
}

}  // namespace

std::string setTemporaryDirectory(std::string directory) {
  if (!directory.empty() && !isSeparator(directory.back())) directory += '/';
  std::swap(privateTemporaryDirectory(), directory);
  return directory;
}

std::string temporaryDirectory() {
  if (!privateTemporaryDirectory().empty()) return privateTemporaryDirectory();
  const char* dir = std::getenv("TMPDIR");
  std::string out = (dir != nullptr && *dir != '\0') ? dir : "/tmp";
  if (!isSeparator(out.back())) out += '/';
  return out;
}

std::string temporaryDirectoryWithin260() {
  std::string dir = temporaryDirectory();
  return dir.size() > 260 ? std::string() : dir;
}

}  // namespace tessary
