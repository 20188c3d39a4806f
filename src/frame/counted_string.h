// Counted strings: a 16-bit little-endian signed length, then that many bytes.
#pragma once

#include <string>
#include <string_view>

namespace tessary {

class File;

// Writes the counted form of `text` at the file's position; throws "Fail to complete
// string writing :" followed by the text when the bytes do not all go out. Texts
// longer than 32767 bytes are cut to that length.
void writeCountedString(File& file, std::string_view text);

// Appends the counted form of `text` (cut to 32767 bytes) to an in-memory file image.
void appendCountedString(std::string& out, std::string_view text);

// Reads a counted string at the file's position; throws "Can't retrieve string length"
// or "Can't retrieve whole string" when the file ends first.
std::string readCountedString(File& file);

}  // namespace tessary
