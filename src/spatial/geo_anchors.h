// Label anchors as points on the earth: (centerX, centerY) of each area from the
// summary table, read as longitude and latitude in degrees, and great-circle
// distances between them. An anchor without finite coordinates is infinitely far from
// every other (the formula would give NaN): it is nobody's neighbour.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "spatial/linkage.h"

namespace tessary {

struct GeoPoint {
  double longitude = 0.0;
  double latitude = 0.0;
};

// Fills `anchors` in table order; returns 0 or a negative spatial result (table not
// opened, centerX or centerY missing, a field that cannot be read as a number).
std::int32_t readAnchors(std::string_view shapePath, std::vector<GeoPoint>& anchors);

// Haversine distance in kilometres on a sphere of radius 6371 km.
double greatCircleKm(const GeoPoint& a, const GeoPoint& b);

// Areas whose anchors are at most `km` apart, each list ascending.
NeighbourLists distanceBandLists(const std::vector<GeoPoint>& anchors, double km);

// For each area the k nearest others, nearest first; with k >= n the area itself ends
// its list (its own distance counts as infinite). Equal distances come in the order
// of the library's quicksort over the whole row up to kExactTieAreas areas, and in
// area order beyond.
constexpr std::size_t kExactTieAreas = 4096;
NeighbourLists nearestLists(const std::vector<GeoPoint>& anchors, std::int32_t k);

}  // namespace tessary
