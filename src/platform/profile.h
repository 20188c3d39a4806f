// Private profile (INI) files: "[section]" lines and "key=value" lines.
//
// Windows semantics: section and key names match without regard to case, values are
// trimmed of surrounding blanks (and of one pair of enclosing quotes), a missing file,
// section or key gives the default, and writing creates the file, section or key or
// replaces the value in place, keeping every other line as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

// One profile file read and split once, its sections indexed by name, for callers that
// look up many sections of one file (every categorical variable's labels). The free
// functions below read the file anew on each call.
class ProfileFile {
 public:
  // Reads `file`; false when it cannot be read, leaving the profile empty.
  bool load(std::string_view file);
  // The file's length in bytes.
  std::uint64_t bytes() const { return bytes_; }

  // The value of `key`, trimmed and unquoted; nullopt when the section or key is absent.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  // As profileSection.
  std::vector<std::string> section(std::string_view section, std::size_t bufferSize) const;

  // The lines, each without its line end, and the line end the file uses.
  std::vector<std::string> lines;
  std::string lineEnd = "\n";

  // The lines [first, last) of a section's body: up to the next section line.
  struct Body {
    std::size_t first = 0;
    std::size_t last = 0;
  };
  std::optional<Body> find(std::string_view section) const;

 private:
  std::uint64_t bytes_ = 0;
  std::map<std::string, Body> sections_;  // upper-cased name -> its first section
};

// The value of `key`, or `fallback`; at most bufferSize - 1 characters, as a buffer of
// bufferSize bytes would hold it.
std::string profileString(std::string_view file, std::string_view section, std::string_view key,
                          std::string_view fallback, std::size_t bufferSize);

// The value of `key` read as a leading decimal integer (blanks and a sign allowed,
// reading stops at the first non-digit); `fallback` when the key is absent.
int profileInt(std::string_view file, std::string_view section, std::string_view key, int fallback);

// The lines of a section, trimmed, blank lines left out, in file order. Only what a
// buffer of bufferSize bytes holds comes back: each line takes its length plus one
// byte and two bytes stay for the list end, so the last line may be cut short.
std::vector<std::string> profileSection(std::string_view file, std::string_view section,
                                        std::size_t bufferSize);

// Sets `key` in `section` to `value`; false when the file cannot be written.
bool writeProfileString(std::string_view file, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace tessary
