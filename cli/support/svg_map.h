// A choropleth map of area values as one SVG file: areas filled by class (classes of
// about equal numbers of areas, coloured along the viridis scale, which readers with
// any common colour-vision deficiency can order), a title, a legend, and each area's
// label, identifier and value as its <title> (shown on hover).
#pragma once

#include <string>
#include <vector>

#include "support/area_shapes.h"

namespace tessary::cli {

struct MapOptions {
  std::string title;
  std::string valueName;  // the legend's heading
  int classes = 5;
};

// The upper bounds of up to `classes` classes holding about equal numbers of the
// finite values (equal bounds merge, so ties never split a value across classes).
std::vector<double> equalCountBreaks(std::vector<double> values, int classes);

// Colour `index` of `count` along viridis, as "#rrggbb".
std::string viridisColour(int index, int count);

// The SVG document. values: one per area in file order, not finite for no data.
std::string choroplethSvg(const AreaShapes& shapes, const std::vector<double>& values,
                          const MapOptions& options);

}  // namespace tessary::cli
