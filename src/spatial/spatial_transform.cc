#include "spatial/spatial_transform.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "spatial/geo_anchors.h"
#include "spatial/linkage_file.h"
#include "spatial/spatial_results.h"

namespace tessary {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::vector<double> neighbourMeans(const NeighbourLists& lists, const double* x) {
  std::vector<double> means(lists.size(), kInfinity);
  for (std::size_t i = 0; i < lists.size(); ++i) {
    double sum = 0.0;
    int count = 0;
    for (const std::int32_t j : lists[i])
      if (std::isfinite(x[j])) {
        sum += x[j];
        ++count;
      }
    if (count > 0) means[i] = sum / count;
  }
  return means;
}

std::vector<double> inverseDistanceMeans(const std::vector<GeoPoint>& anchors, const double* x,
                                         double power) {
  const std::size_t n = anchors.size();
  std::vector<double> num(n, 0.0), den(n, 0.0);
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 1; j < n; ++j) {
      const double d = greatCircleKm(anchors[i], anchors[j]);
      if (!(d > 0) || !std::isfinite(d)) continue;  // coinciding or unplaced anchors
      const double w = 1 / std::pow(d, power);
      if (std::isfinite(x[j])) {
        num[i] += w * x[j];
        den[i] += w;
      }
      if (std::isfinite(x[i])) {
        num[j] += w * x[i];
        den[j] += w;
      }
    }
  std::vector<double> means(n);
  for (std::size_t i = 0; i < n; ++i)
    means[i] = den[i] <= 1e-20 ? kInfinity : num[i] / den[i];
  return means;
}

}  // namespace

std::uint8_t smoothValues(const char* path, const double* x, double* out, std::int32_t n,
                          std::int32_t kind, std::int32_t parameter) {
  const std::string shapePath = path != nullptr ? path : "";
  std::vector<double> smoothed;
  if (kind == kContiguity || kind == kDistanceBand || kind == kNearest) {
    const LinkageFile file(linkageFilePath(shapePath, kind), kind, parameter);
    if (file.areaCount() != n) return kAreaCountDiffers;
    smoothed = neighbourMeans(file.lists(), x);
  } else if (kind == kInverseDistance) {
    std::vector<GeoPoint> anchors;
    if (const auto result = readAnchors(shapePath, anchors); result != spatial_result::kOk)
      return static_cast<std::uint8_t>(result);
    if (n < 0 || anchors.size() != static_cast<std::size_t>(n)) return kAreaCountDiffers;
    smoothed = inverseDistanceMeans(anchors, x, parameter);
  } else {
    return 0;
  }
  std::copy(smoothed.begin(), smoothed.end(), out);
  return 0;
}

}  // namespace tessary
