#include "spatial/sphere_index.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessary {
namespace {

constexpr std::size_t kLeafSize = 8;
constexpr double kEarthRadiusKm = 6371.0;

double coordinate(const UnitVector& p, int axis) {
  return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

double squaredChord(const UnitVector& a, const UnitVector& b) {
  const double dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
  return dx * dx + dy * dy + dz * dz;
}

}  // namespace

UnitVector unitVector(const GeoPoint& point) {
  const double lat = point.latitude * (std::numbers::pi / 180);
  const double lon = point.longitude * (std::numbers::pi / 180);
  return {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
}

double chordForKm(double km) {
  const double angle = km / kEarthRadiusKm;
  if (!(angle < std::numbers::pi)) return 2.5;  // the whole sphere
  return angle < 0 ? -1.0 : 2 * std::sin(angle / 2);
}

SphereIndex::SphereIndex(const std::vector<GeoPoint>& points) : axis_(points.size()) {
  points_.reserve(points.size());
  for (std::size_t k = 0; k < points.size(); ++k) {
    points_.push_back(unitVector(points[k]));
    // A point without finite coordinates is nobody's neighbour.
    if (std::isfinite(points[k].latitude) && std::isfinite(points[k].longitude))
      order_.push_back(static_cast<std::int32_t>(k));
  }
  build(0, order_.size());
}

void SphereIndex::build(std::size_t lo, std::size_t hi) {
  if (hi - lo <= kLeafSize) return;
  double low[3] = {2, 2, 2}, high[3] = {-2, -2, -2};
  for (std::size_t k = lo; k < hi; ++k)
    for (int a = 0; a < 3; ++a) {
      low[a] = std::min(low[a], coordinate(points_[order_[k]], a));
      high[a] = std::max(high[a], coordinate(points_[order_[k]], a));
    }
  int axis = 0;
  for (int a = 1; a < 3; ++a)
    if (high[a] - low[a] > high[axis] - low[axis]) axis = a;
  const std::size_t mid = lo + (hi - lo) / 2;
  std::nth_element(order_.begin() + lo, order_.begin() + mid, order_.begin() + hi,
                   [&](std::int32_t a, std::int32_t b) {
                     return coordinate(points_[a], axis) < coordinate(points_[b], axis);
                   });
  axis_[mid] = static_cast<std::uint8_t>(axis);
  build(lo, mid);
  build(mid + 1, hi);
}

void SphereIndex::within(const UnitVector& centre, double radius,
                         std::vector<std::int32_t>& out) const {
  if (radius < 0) return;
  collect(0, order_.size(), centre, radius * radius, out);
}

void SphereIndex::collect(std::size_t lo, std::size_t hi, const UnitVector& centre, double radius2,
                          std::vector<std::int32_t>& out) const {
  if (hi - lo <= kLeafSize) {
    for (std::size_t k = lo; k < hi; ++k)
      if (squaredChord(points_[order_[k]], centre) <= radius2) out.push_back(order_[k]);
    return;
  }
  const std::size_t mid = lo + (hi - lo) / 2;
  const std::int32_t node = order_[mid];
  if (squaredChord(points_[node], centre) <= radius2) out.push_back(node);
  const double gap = coordinate(centre, axis_[mid]) - coordinate(points_[node], axis_[mid]);
  if (gap <= 0 || gap * gap <= radius2) collect(lo, mid, centre, radius2, out);
  if (gap >= 0 || gap * gap <= radius2) collect(mid + 1, hi, centre, radius2, out);
}

double SphereIndex::nearestChord(std::int32_t from, std::int32_t count) const {
  std::vector<double> heap;  // squared chords, the largest on top
  heap.reserve(static_cast<std::size_t>(count) + 1);
  search(0, order_.size(), from, heap, static_cast<std::size_t>(count));
  return heap.empty() ? 0.0 : std::sqrt(heap.front());
}

void SphereIndex::search(std::size_t lo, std::size_t hi, std::int32_t from,
                         std::vector<double>& heap, std::size_t count) const {
  const UnitVector& centre = points_[from];
  auto offer = [&](std::int32_t candidate) {
    if (candidate == from) return;
    const double d2 = squaredChord(points_[candidate], centre);
    if (heap.size() == count && !(d2 < heap.front())) return;
    heap.push_back(d2);
    std::push_heap(heap.begin(), heap.end());
    if (heap.size() > count) {
      std::pop_heap(heap.begin(), heap.end());
      heap.pop_back();
    }
  };
  if (hi - lo <= kLeafSize) {
    for (std::size_t k = lo; k < hi; ++k)
      offer(order_[k]);
    return;
  }
  const std::size_t mid = lo + (hi - lo) / 2;
  offer(order_[mid]);
  const double gap = coordinate(centre, axis_[mid]) - coordinate(points_[order_[mid]], axis_[mid]);
  const bool leftFirst = gap <= 0;
  for (int side = 0; side < 2; ++side) {
    const bool left = (side == 0) == leftFirst;
    if (side == 1 && heap.size() == count && gap * gap > heap.front()) return;
    if (left)
      search(lo, mid, from, heap, count);
    else
      search(mid + 1, hi, from, heap, count);
  }
}

}  // namespace tessary
