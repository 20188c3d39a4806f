// The byte layout the shape fuzz target reads, shared with its seed writer: two
// little-endian 32-bit lengths (of the .shp and .shx parts, each cut to what remains),
// the .shp bytes, the .shx bytes, then the .dbf bytes to the end.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tessary::fuzzing {

struct ShapeInput {
  std::string_view shp, shx, dbf;
};

inline ShapeInput splitShapeInput(std::string_view bytes) {
  std::uint32_t lengths[2] = {0, 0};
  std::memcpy(lengths, bytes.data(), std::min(bytes.size(), sizeof lengths));
  bytes.remove_prefix(std::min(bytes.size(), sizeof lengths));
  ShapeInput input;
  input.shp = bytes.substr(0, lengths[0]);
  bytes.remove_prefix(input.shp.size());
  input.shx = bytes.substr(0, lengths[1]);
  bytes.remove_prefix(input.shx.size());
  input.dbf = bytes;
  return input;
}

inline std::string joinShapeInput(const std::string& shp, const std::string& shx,
                                  const std::string& dbf) {
  const std::uint32_t lengths[2] = {static_cast<std::uint32_t>(shp.size()),
                                    static_cast<std::uint32_t>(shx.size())};
  std::string bytes(reinterpret_cast<const char*>(lengths), sizeof lengths);
  return bytes + shp + shx + dbf;
}

}  // namespace tessary::fuzzing
