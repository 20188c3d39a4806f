// Private profile (INI) files: "[section]" lines and "key=value" lines.
//
// Windows semantics: section and key names match without regard to case, values are
// trimmed of surrounding blanks (and of one pair of enclosing quotes), a missing file,
// section or key gives the default, and writing creates the file, section or key or
// replaces the value in place, keeping every other line as it was.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

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
