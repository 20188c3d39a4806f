// The even-odd crossing rule shared by hit-testing, contiguity and the label anchor.
//
// Each edge runs from the previous vertex (the ring's last vertex for the first one)
// to the current one. Horizontal edges are skipped; an edge counts when the point lies
// strictly left of its larger x, its lower end's y <= y < its upper end's y, and the
// point is left of the edge at that height. So a square contains its lower and left
// edges but not its upper and right ones.
#pragma once

#include <cstddef>

namespace tessary {

// `Ring` offers size(), x(k) and y(k) as numbers convertible to double.
template <class Ring>
int ringCrossings(const Ring& ring, double x, double y) {
  const std::size_t n = ring.size();
  if (n == 0) return 0;
  int crossings = 0;
  std::size_t previous = n - 1;
  for (std::size_t k = 0; k < n; previous = k++) {
    const double x1 = ring.x(previous), y1 = ring.y(previous);
    const double x2 = ring.x(k), y2 = ring.y(k);
    if (y1 == y2) continue;
    if (!(x < (x1 > x2 ? x1 : x2))) continue;
    const bool firstLow = y1 < y2;
    const double xLow = firstLow ? x1 : x2, yLow = firstLow ? y1 : y2;
    const double xHigh = firstLow ? x2 : x1, yHigh = firstLow ? y2 : y1;
    if (!(yLow <= y && y < yHigh)) continue;
    if (x < (x1 < x2 ? x1 : x2) || (x - xLow) < (y - yLow) / (yHigh - yLow) * (xHigh - xLow))
      ++crossings;
  }
  return crossings;
}

// One ring of separate coordinate arrays (a shape object's part).
struct CoordinateRing {
  const double* xs;
  const double* ys;
  std::size_t count;
  std::size_t size() const { return count; }
  double x(std::size_t k) const { return xs[k]; }
  double y(std::size_t k) const { return ys[k]; }
};

}  // namespace tessary
