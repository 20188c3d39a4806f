#include "spatial/geo_anchors.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "numeric/small_statistics.h"
#include "spatial/attribute_table.h"
#include "spatial/spatial_results.h"
#include "spatial/sphere_index.h"

namespace tessary {
namespace {

using namespace spatial_result;

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kEarthRadiusKm = 6371.0;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Search radii are widened by this much so that rounding in the chord never drops a
// point the exact distance keeps.
double widened(double chord) {
  return chord < 0 ? chord : chord * (1 + 1e-9) + 1e-12;
}

bool finite(const GeoPoint& p) {
  return std::isfinite(p.latitude) && std::isfinite(p.longitude);
}

// The k first areas of the full row of distances from `area`, ordered by the
// library's quicksort (the area itself at infinity).
std::vector<std::int32_t> quicksortRow(const std::vector<GeoPoint>& anchors, std::size_t area,
                                       std::int32_t k) {
  const std::size_t n = anchors.size();
  std::vector<double> distances(n), areas(n);
  for (std::size_t j = 0; j < n; ++j) {
    distances[j] = j == area ? kInfinity : greatCircleKm(anchors[area], anchors[j]);
    areas[j] = static_cast<double>(j);
  }
  coSort(distances.data(), areas.data(), static_cast<std::int32_t>(n));
  return std::vector<std::int32_t>(areas.begin(), areas.begin() + k);
}

// The k nearest through the index; falls back to the full row when equal distances
// decide the order or the membership and the row is cheap enough.
std::vector<std::int32_t> indexedNearest(const std::vector<GeoPoint>& anchors,
                                         const SphereIndex& index, std::size_t area, std::int32_t k,
                                         std::vector<std::int32_t>& candidates) {
  const auto from = static_cast<std::int32_t>(area);
  candidates.clear();
  index.within(index.point(from), widened(index.nearestChord(from, k + 1)), candidates);
  std::vector<std::pair<double, std::int32_t>> ranked;
  ranked.reserve(candidates.size());
  for (const std::int32_t j : candidates)
    if (j != from) ranked.emplace_back(greatCircleKm(anchors[area], anchors[j]), j);
  std::sort(ranked.begin(), ranked.end());
  bool tied = false;
  for (std::int32_t p = 0; p < k && !tied; ++p)
    tied = ranked[p].first == ranked[p + 1].first;
  if (tied && anchors.size() <= kExactTieAreas) return quicksortRow(anchors, area, k);
  std::vector<std::int32_t> nearest(k);
  for (std::int32_t p = 0; p < k; ++p)
    nearest[p] = ranked[p].second;
  return nearest;
}

}  // namespace

std::int32_t readAnchors(std::string_view shapePath, std::vector<GeoPoint>& anchors) {
  const AttributeTable table(shapePath);
  if (!table.isOpen()) return kTableNotOpened;
  const NumberField x = table.numberField("centerX");
  const NumberField y = table.numberField("centerY");
  if (!x.exists() || !y.exists()) return kSummaryFieldMissing;
  if (const auto result = checkReadable(table, x, y); result != kOk) return result;
  anchors.resize(static_cast<std::size_t>(std::max(table.recordCount(), 0)));
  for (std::size_t r = 0; r < anchors.size(); ++r)
    anchors[r] = {table.number(static_cast<int>(r), x), table.number(static_cast<int>(r), y)};
  return kOk;
}

double greatCircleKm(const GeoPoint& a, const GeoPoint& b) {
  // An anchor without finite coordinates is infinitely far from everything.
  if (!finite(a) || !finite(b)) return kInfinity;
  const double phi1 = a.latitude * kRadiansPerDegree, phi2 = b.latitude * kRadiansPerDegree;
  const double lambda1 = a.longitude * kRadiansPerDegree, lambda2 = b.longitude * kRadiansPerDegree;
  const double sinPhi = std::sin((phi2 - phi1) / 2), sinLambda = std::sin((lambda2 - lambda1) / 2);
  const double h = std::clamp(
      sinPhi * sinPhi + std::cos(phi1) * std::cos(phi2) * sinLambda * sinLambda, 0.0, 1.0);
  return 2 * std::atan2(std::sqrt(h), std::sqrt(1 - h)) * kEarthRadiusKm;
}

NeighbourLists distanceBandLists(const std::vector<GeoPoint>& anchors, double km) {
  NeighbourLists lists(anchors.size());
  const SphereIndex index(anchors);
  const double radius = widened(chordForKm(km));
  std::vector<std::int32_t> candidates;
  for (std::size_t i = 0; i < anchors.size(); ++i) {
    candidates.clear();
    index.within(index.point(static_cast<std::int32_t>(i)), radius, candidates);
    for (const std::int32_t j : candidates) {
      const std::size_t jj = static_cast<std::size_t>(j);
      // The pair's distance is always taken from the lower-numbered area.
      if (jj != i && greatCircleKm(anchors[std::min(i, jj)], anchors[std::max(i, jj)]) <= km)
        lists[i].push_back(j);
    }
    std::sort(lists[i].begin(), lists[i].end());
  }
  return lists;
}

NeighbourLists nearestLists(const std::vector<GeoPoint>& anchors, std::int32_t k) {
  const std::size_t n = anchors.size();
  NeighbourLists lists(n);
  const std::int32_t count = static_cast<std::int32_t>(std::min<std::size_t>(std::max(k, 0), n));
  if (count == 0) return lists;
  const SphereIndex index(anchors);
  std::vector<std::int32_t> candidates;
  for (std::size_t i = 0; i < n; ++i) {
    // The index answers when it holds more than `count` other areas; the full row
    // serves the rest (and every row when count reaches the other areas anyway).
    const std::size_t others = index.indexedCount() - (finite(anchors[i]) ? 1 : 0);
    if (!finite(anchors[i]) || others <= static_cast<std::size_t>(count) ||
        static_cast<std::size_t>(count) + 1 >= n)
      lists[i] = quicksortRow(anchors, i, count);
    else
      lists[i] = indexedNearest(anchors, index, i, count, candidates);
  }
  return lists;
}

}  // namespace tessary
