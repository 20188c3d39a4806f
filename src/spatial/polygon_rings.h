// A polygon as a shape file stores it: rings (parts) one after another, each closed by
// repeating its first vertex; outer rings clockwise, holes counter-clockwise.
#pragma once

#include <cstddef>
#include <vector>

#include "spatial/crossing_rule.h"
#include "spatial/shape_files.h"

namespace tessary {

struct Bounds {
  double xMin = 0.0, yMin = 0.0, xMax = 0.0, yMax = 0.0;
  double centreX() const { return (xMin + xMax) / 2; }
  double centreY() const { return (yMin + yMax) / 2; }
};

struct PolygonRings {
  std::vector<int> partStarts;
  std::vector<double> x, y;

  int ringCount() const { return static_cast<int>(partStarts.size()); }
  int vertexCount() const { return static_cast<int>(x.size()); }
  CoordinateRing ring(int r) const;

  // Appends every ring of `shape` in order (a shape without parts counts as one ring).
  void appendShape(const SHPObject& shape);
  void appendRing(const double* xs, const double* ys, std::size_t count);
};

// The smallest rectangle holding every vertex (all zero for an empty polygon).
Bounds boundsOf(const PolygonRings& polygon);

// Half the shoelace sum of one ring: positive for counter-clockwise rings.
double signedArea(const CoordinateRing& ring);

// Appends the polygon to a polygon shape file; false when it cannot be written.
bool appendPolygon(SHPHandle file, const PolygonRings& polygon);

}  // namespace tessary
