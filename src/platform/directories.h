// Directory services: private working directories, renames and removal of trees.
#pragma once

#include <string>
#include <string_view>

namespace tessary {

// Creates a new directory with a unique name starting with `prefix` inside `parent`
// ("" means the current directory) and returns its path with a trailing '/'; "" when
// the system refuses.
std::string createUniqueDirectory(std::string_view parent, std::string_view prefix);

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
