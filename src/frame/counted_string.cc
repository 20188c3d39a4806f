#include "frame/counted_string.h"

#include <cstdint>

#include "frame/failure.h"
#include "platform/file.h"

namespace tessary {

void writeCountedString(File& file, std::string_view text) {
  if (text.size() > 32767) text = text.substr(0, 32767);
  const auto length = static_cast<std::uint16_t>(text.size());
  const unsigned char prefix[2] = {static_cast<unsigned char>(length & 0xFF),
                                   static_cast<unsigned char>(length >> 8)};
  bool complete = file.write(prefix, 2) == 2;
  if (complete && length > 0) complete = file.write(text.data(), length) == length;
  if (!complete) raiseFailure("Fail to complete string writing :" + std::string(text));
}

std::string readCountedString(File& file) {
  unsigned char prefix[2];
  if (file.read(prefix, 2) < 2) raiseFailure("Can't retrieve string length");
  const auto length = static_cast<std::int16_t>(prefix[0] | (prefix[1] << 8));
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  if (file.read(text.data(), text.size()) < text.size())
    raiseFailure("Can't retrieve whole string");
  return text;
}

}  // namespace tessary
