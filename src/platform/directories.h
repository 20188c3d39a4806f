// Directory services: private working directories, renames and removal of trees.
#pragma once

#include <string>
#include <string_view>

namespace tessary {

// Creates a new directory with a unique name starting with `prefix` inside `parent`
// ("" means the current directory) and returns its path with a trailing '/'; "" when
// the system refuses.
std::string createUniqueDirectory(std::string_view parent, std::string_view prefix);

// A temporary directory of one's own: a new directory under the temporary directory,
// which becomes the temporary directory (temporaryDirectory()) for the scope's
// lifetime, so the files the library keeps there ("EvalResult.tbl", "EvalResult.lbl",
// "Tarvex.err") never meet those of another process. At the end of the scope the
// directory is removed with everything in it and the previous one comes back. When the
// directory cannot be made, the temporary directory stays what it was.
class PrivateTemporaryDirectory {
 public:
  explicit PrivateTemporaryDirectory(std::string_view prefix);
  ~PrivateTemporaryDirectory();
  PrivateTemporaryDirectory(const PrivateTemporaryDirectory&) = delete;
  PrivateTemporaryDirectory& operator=(const PrivateTemporaryDirectory&) = delete;
  // "" when it could not be made.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;  // the setting it replaced
};

// Moves `from` to `to`, replacing `to` when it exists; false when the system refuses.
bool renamePath(std::string_view from, std::string_view to);

// Makes the directory's entries (files created, renamed or removed in it) durable.
bool syncDirectory(std::string_view path);

// Removes a directory and everything in it; silent when it is absent.
void removeDirectoryTree(std::string_view path);

// `path` made absolute against the current directory, without touching the file.
std::string absolutePath(std::string_view path);

// `path` written relative to `directory` (both absolute) when that is possible.
std::string relativePath(std::string_view path, std::string_view directory);

}  // namespace tessary

namespace tessary {

// Creates `path` and any missing parents; true when it exists afterwards.
bool makeDirectories(std::string_view path);

}  // namespace tessary
