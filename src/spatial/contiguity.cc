// Contiguity lists by a sweep over the areas' bounding rectangles in x order: only
// pairs whose rectangles meet reach the vertex test.
#include <algorithm>
#include <cmath>
#include <utility>

#include "spatial/linkage.h"
#include "spatial/polygon_rings.h"
#include "spatial/shape_files.h"
#include "spatial/spatial_results.h"

namespace tessary {
namespace {

struct Area {
  PolygonRings rings;
  Bounds bounds;
  bool sweepable = false;  // finite bounds
};

bool readAreas(std::string_view shapePath, std::vector<Area>& areas) {
  const ShapeFile file = openShapeFile(shapePath);
  if (file == nullptr) return false;
  areas.resize(static_cast<std::size_t>(std::max(shapeCount(file.get()), 0)));
  for (std::size_t i = 0; i < areas.size(); ++i) {
    const ShapeObject shape = readShape(file.get(), static_cast<int>(i));
    if (shape == nullptr) continue;
    Area& area = areas[i];
    area.rings.appendShape(*shape);
    area.bounds = {shape->dfXMin, shape->dfYMin, shape->dfXMax, shape->dfYMax};
    area.sweepable = std::isfinite(area.bounds.xMin) && std::isfinite(area.bounds.xMax) &&
                     std::isfinite(area.bounds.yMin) && std::isfinite(area.bounds.yMax);
  }
  return true;
}

bool inside(const Bounds& b, double x, double y) {
  return b.xMin <= x && x <= b.xMax && b.yMin <= y && y <= b.yMax;
}

// Some vertex of `from` (any ring) inside the first ring of `to`. A point outside
// the ring's rectangle crosses it an even number of times, so the rectangle test
// only saves work.
bool touches(const Area& from, const Area& to) {
  if (to.rings.ringCount() == 0) return false;
  const CoordinateRing ring = to.rings.ring(0);
  for (int v = 0; v < from.rings.vertexCount(); ++v) {
    const double x = from.rings.x[v], y = from.rings.y[v];
    if (inside(to.bounds, x, y) && ringCrossings(ring, x, y) % 2 == 1) return true;
  }
  return false;
}

NeighbourLists listsOfPairs(std::size_t areas,
                            const std::vector<std::pair<std::int32_t, std::int32_t>>& pairs) {
  NeighbourLists lists(areas);
  for (const auto& [i, j] : pairs) {
    lists[i].push_back(j);
    lists[j].push_back(i);
  }
  for (auto& list : lists)
    std::sort(list.begin(), list.end());
  return lists;
}

}  // namespace

std::int32_t contiguityLists(std::string_view shapePath, NeighbourLists& lists) {
  std::vector<Area> areas;
  if (!readAreas(shapePath, areas)) return spatial_result::kShapeFileNotOpened;
  std::vector<std::int32_t> order;
  for (std::size_t i = 0; i < areas.size(); ++i)
    if (areas[i].sweepable) order.push_back(static_cast<std::int32_t>(i));
  std::sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
    return areas[a].bounds.xMin < areas[b].bounds.xMin;
  });
  std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
  for (std::size_t p = 0; p < order.size(); ++p) {
    const Bounds& a = areas[order[p]].bounds;
    for (std::size_t q = p + 1; q < order.size() && areas[order[q]].bounds.xMin <= a.xMax; ++q) {
      const Bounds& b = areas[order[q]].bounds;
      if (b.yMin > a.yMax || a.yMin > b.yMax) continue;
      const std::int32_t i = std::min(order[p], order[q]), j = std::max(order[p], order[q]);
      if (touches(areas[i], areas[j])) pairs.emplace_back(i, j);
    }
  }
  lists = listsOfPairs(areas.size(), pairs);
  return spatial_result::kOk;
}

}  // namespace tessary
