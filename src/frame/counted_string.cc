#include "frame/counted_string.h"

#include <cstdint>

#include "frame/failure.h"
#include "platform/file.h"

namespace tessary {

namespace {

constexpr std::size_t kLongestCountedString = 32767;

}  // namespace

void appendCountedString(std::string& out, std::string_view text) {
  if (text.size() > kLongestCountedString) text = text.substr(0, kLongestCountedString);
  const auto length = static_cast<std::uint16_t>(text.size());
  out += static_cast<char>(length & 0xFF);
  out += static_cast<char>(length >> 8);
  out += text;
}

void writeCountedString(File& file, std::string_view text) {
  std::string counted;
  appendCountedString(counted, text);
  if (file.write(counted.data(), counted.size()) != counted.size())
    raiseFailure("Fail to complete string writing :" + std::string(text));
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
