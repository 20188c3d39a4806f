// Neighbourhoods of the areas of a standard shape file (numbered 0 .. n-1 in file
// order) and the linkage files that store them next to it: stem.LMX (contiguity),
// stem.DMX (distance band), stem.KMX (k nearest).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

enum LinkageKind : std::int32_t {
  kContiguity = 1,       // areas that touch
  kDistanceBand = 2,     // label anchors at most `parameter` km apart
  kNearest = 3,          // the `parameter` nearest label anchors
  kInverseDistance = 4,  // spatialTransform only: weights 1/d^parameter over all areas
};

// One list of area numbers per area.
using NeighbourLists = std::vector<std::vector<std::int32_t>>;

// Builds the lists of `kind` (1, 2 or 3) and writes its linkage file. Returns 0, a
// negative spatial result (the shape file, the table or its anchor fields, the file
// not created), or 0 without writing anything for any other kind.
std::int32_t buildLinkage(std::string_view shapePath, std::int32_t kind, std::int32_t parameter);

// Contiguity: for every pair i < j whose bounding rectangles meet, linked when some
// vertex of i (any ring) lies inside the first ring of j by the even-odd rule. The
// rectangles are swept in x order, so pairs far apart are never compared. Lists come
// out ascending. Returns 0 or spatial_result::kShapeFileNotOpened.
std::int32_t contiguityLists(std::string_view shapePath, NeighbourLists& lists);

}  // namespace tessary
