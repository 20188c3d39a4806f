// A k-d tree over points on the unit sphere. Great-circle distance grows with the
// straight-line (chord) distance between unit vectors, so near neighbours by chord
// are near neighbours on the earth, across the poles and the date line alike.
#pragma once

#include <cstdint>
#include <vector>

#include "spatial/geo_anchors.h"

namespace tessary {

struct UnitVector {
  double x = 0.0, y = 0.0, z = 0.0;
};

UnitVector unitVector(const GeoPoint& point);

// The chord between two points `km` apart on the earth (2 beyond half the globe).
double chordForKm(double km);

class SphereIndex {
 public:
  explicit SphereIndex(const std::vector<GeoPoint>& points);

  const UnitVector& point(std::int32_t index) const { return points_[index]; }
  std::size_t indexedCount() const { return order_.size(); }

  // Appends every point within chord distance `radius` of `centre`.
  void within(const UnitVector& centre, double radius, std::vector<std::int32_t>& out) const;

  // The chord distance from point `from` to its count-th nearest other point
  // (count >= 1 and at most the number of other points with finite coordinates).
  double nearestChord(std::int32_t from, std::int32_t count) const;

 private:
  void build(std::size_t lo, std::size_t hi);
  void collect(std::size_t lo, std::size_t hi, const UnitVector& centre, double radius2,
               std::vector<std::int32_t>& out) const;
  void search(std::size_t lo, std::size_t hi, std::int32_t from, std::vector<double>& heap,
              std::size_t count) const;

  std::vector<UnitVector> points_;
  std::vector<std::int32_t> order_;  // tree layout: node [lo, hi) splits at its middle
  std::vector<std::uint8_t> axis_;   // split axis of the node whose middle is here
};

}  // namespace tessary
