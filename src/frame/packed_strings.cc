#include "frame/packed_strings.h"

namespace tessary {
namespace {

std::int16_t readInt16(const unsigned char* at) {
  return static_cast<std::int16_t>(at[0] | (at[1] << 8));
}

void appendInt16(std::string& out, std::int16_t value) {
  const auto bits = static_cast<std::uint16_t>(value);
  out += static_cast<char>(bits & 0xFF);
  out += static_cast<char>(bits >> 8);
}

}  // namespace

std::int16_t splitPackedStrings(const void* buffer, std::vector<std::string>& list) {
  list.clear();
  const auto* at = static_cast<const unsigned char*>(buffer);
  const std::int16_t count = readInt16(at);
  at += 2;
  for (std::int16_t i = 0; i < count; ++i) {
    const std::int16_t length = readInt16(at);
    at += 2;
    const std::size_t bytes = length > 0 ? static_cast<std::size_t>(length) : 0;
    list.emplace_back(reinterpret_cast<const char*>(at), bytes);
    at += bytes;
  }
  return count;
}

std::string packStrings(const std::vector<std::string>& list) {
  std::string out;
  appendInt16(out, static_cast<std::int16_t>(list.size()));
  for (const std::string& s : list) {
    appendInt16(out, static_cast<std::int16_t>(s.size()));
    out += s;
  }
  return out;
}

}  // namespace tessary
