// `tessary map`: a choropleth of one CSV column over the areas of a standard shape
// file, written as SVG.
#pragma once

#include <string>

#include "support/svg_map.h"

namespace tessary::cli {

struct MapFileOptions {
  std::string shapes, values, id, column, out;
  MapOptions map;  // an empty title becomes the column name
};

// Writes the map; returns the account printed for the user.
std::string writeMapFile(MapFileOptions options);

}  // namespace tessary::cli
