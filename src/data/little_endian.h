// Little-endian fields in byte buffers. The file formats are little-endian and so is
// every host the library is built for, so a field is its in-memory bytes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstring>
#include <string>

namespace tessary {

static_assert(std::endian::native == std::endian::little,
              "file formats assume a little-endian host");

template <class T>
T loadLittle(const void* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

template <class T>
void storeLittle(void* bytes, T value) {
  std::memcpy(bytes, &value, sizeof value);
}

template <class T>
void appendLittle(std::string& out, T value) {
  char bytes[sizeof value];
  std::memcpy(bytes, &value, sizeof value);
  out.append(bytes, sizeof value);
}

}  // namespace tessary
