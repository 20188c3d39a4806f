// Polygon union and intersection through the Clipper library.
//
// Clipper works on 64-bit integers: map coordinates are multiplied by 10^9 and
// rounded, so coordinates in degrees keep 1e-9 and values up to about 2.3e9 map units
// fit; a coordinate beyond that raises a Failure. Each polygon's interior is its
// rings under the even-odd rule, so rings that are holes stay holes whatever their
// orientation. Results come back with outer rings clockwise, each followed by its
// holes counter-clockwise, every ring closed.
#pragma once

#include <optional>
#include <vector>

#include <clipper.hpp>

#include "spatial/polygon_rings.h"

namespace tessary {

constexpr double kClipperScale = 1e9;

using ClipperPolygon = ClipperLib::Paths;

ClipperPolygon toClipper(const PolygonRings& polygon);
PolygonRings fromClipper(const ClipperPolygon& polygon);

// The union of all polygons by pairwise reduction: 0 with 1, 2 with 3, ... into slots
// 0, 1, ...; an odd last polygon moves up unchanged; repeated until one remains.
// REQUIRES: polygons is not empty. The polygons are consumed.
ClipperPolygon uniteAll(std::vector<ClipperPolygon>& polygons);

// The bounds of the first outer contour of ring ∩ rectangle, none when they do not
// meet.
std::optional<Bounds> firstIntersectionBounds(const CoordinateRing& ring, const Bounds& rectangle);

}  // namespace tessary
