// A standard shape file as the library hands it to a host (getSizes and getShapes):
// shape records, coordinates in micro-units and labels, for drawing and matching.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary::cli {

struct AreaShapes {
  std::vector<std::int32_t> records;
  std::vector<std::int32_t> coords;
  std::vector<char> labels;
  double bounds[4] = {};  // xmin, ymin, xmax, ymax in micro-units
  std::int32_t count = 0;

  const std::int32_t* record(std::int32_t k) const;
  double gid(std::int32_t k) const;
  std::string label(std::int32_t k) const;
};

// Every area of the file; raises the tool's message when it cannot be read.
AreaShapes readAreaShapes(const std::string& path);

}  // namespace tessary::cli
