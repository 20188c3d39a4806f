// Path handling. Files written on Windows name their paths with '\'; both separators
// are accepted everywhere and a '\' becomes '/' before the file system sees a path.
#pragma once

#include <string>
#include <string_view>

namespace tessary {

bool isSeparator(char c);

// The path as the file system wants it: every '\' turned into '/'.
std::string nativePath(std::string_view path);

// True when the path holds a NUL byte. The system would end the path there and name
// another file, so every file operation refuses such a path (errno EINVAL).
bool hasNulByte(std::string_view path);

// True when the path needs no directory in front of it (the platform's full-path
// service would leave it unchanged): it starts with a separator.
bool isFullPath(std::string_view path);

// The directory part, up to and including the last separator ("" when none).
std::string directoryOf(std::string_view path);

// The part after the last separator.
std::string baseNameOf(std::string_view path);

// The base name without its extension (from the last '.' of the base name on).
std::string stemOf(std::string_view path);

// A path read from a file that lives in `directory`: kept when full, else prefixed.
std::string resolveAgainst(std::string_view directory, std::string_view path);

// The platform's temporary directory, ending in '/': the directory a
// PrivateTemporaryDirectory (platform/directories.h) has put in place, else $TMPDIR when
// set and non-empty, else "/tmp/".
std::string temporaryDirectory();

// Makes `directory` the temporary directory ("" goes back to $TMPDIR); returns the
// previous setting.
std::string setTemporaryDirectory(std::string directory);

// The temporary directory as a 260-character buffer would hold it: "" when the
// directory is longer than that, so the caller falls back to the current directory.
std::string temporaryDirectoryWithin260();

}  // namespace tessary
