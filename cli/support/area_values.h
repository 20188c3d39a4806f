// Values for the areas of a shape file, taken from a CSV file by identifier.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "support/area_shapes.h"

namespace tessary::cli {

struct AreaValues {
  std::vector<double> values;  // one per area, in file order; missing: +infinity
  std::size_t withValue = 0;   // areas that found a row with a finite value
  std::size_t rows = 0;        // rows of the CSV file
};

// The values of `byId` for the areas whose GID it holds; areas without one, or whose
// value is not finite, get none.
AreaValues valuesForShapes(const AreaShapes& shapes,
                           const std::unordered_map<double, double>& byId);

// Matches the numbers of column `idColumn` with the areas' GIDs and takes column
// `valueColumn` (both found without regard to case). Raises the tool's message for a
// missing or non-numeric column and for an identifier that appears twice.
AreaValues valuesByArea(const AreaShapes& shapes, const std::string& csvPath,
                        const std::string& idColumn, const std::string& valueColumn);

}  // namespace tessary::cli
