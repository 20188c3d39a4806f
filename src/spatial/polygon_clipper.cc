#include "spatial/polygon_clipper.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "frame/failure.h"

namespace tessary {
namespace {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;

cInt toClipperUnits(double coordinate) {
  const double scaled = std::round(coordinate * kClipperScale);
  throwUnless(std::fabs(scaled) <= static_cast<double>(ClipperLib::hiRange) * 0.5,
              "A coordinate is beyond the range of the polygon clipper.\n");
  return static_cast<cInt>(scaled);
}

Path clipperPath(const CoordinateRing& ring) {
  Path path;
  path.reserve(ring.size());
  for (std::size_t k = 0; k < ring.size(); ++k)
    path.push_back(IntPoint(toClipperUnits(ring.x(k)), toClipperUnits(ring.y(k))));
  return path;
}

ClipperLib::PolyTree clip(ClipperLib::ClipType operation, const ClipperPolygon& subject,
                          const ClipperPolygon& other) {
  ClipperLib::Clipper clipper;
  clipper.AddPaths(subject, ClipperLib::ptSubject, true);
  clipper.AddPaths(other, ClipperLib::ptClip, true);
  ClipperLib::PolyTree result;
  throwUnless(clipper.Execute(operation, result, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd),
              "The polygon clipper failed.\n");
  return result;
}

ClipperPolygon unite(const ClipperPolygon& a, const ClipperPolygon& b) {
  ClipperPolygon united;
  // Depth first: every outer contour is followed by its holes.
  ClipperLib::ClosedPathsFromPolyTree(clip(ClipperLib::ctUnion, a, b), united);
  return united;
}

}  // namespace

ClipperPolygon toClipper(const PolygonRings& polygon) {
  ClipperPolygon paths;
  paths.reserve(polygon.ringCount());
  for (int r = 0; r < polygon.ringCount(); ++r)
    paths.push_back(clipperPath(polygon.ring(r)));
  return paths;
}

PolygonRings fromClipper(const ClipperPolygon& polygon) {
  PolygonRings rings;
  std::vector<double> xs, ys;
  for (const Path& path : polygon) {
    if (path.empty()) continue;
    xs.clear();
    ys.clear();
    // Clipper gives outer contours counter-clockwise; the shape file wants them
    // clockwise (and holes the other way), so every ring is walked backwards.
    for (auto point = path.rbegin(); point != path.rend(); ++point) {
      xs.push_back(static_cast<double>(point->X) / kClipperScale);
      ys.push_back(static_cast<double>(point->Y) / kClipperScale);
    }
    xs.push_back(xs.front());
    ys.push_back(ys.front());
    rings.appendRing(xs.data(), ys.data(), xs.size());
  }
  return rings;
}

ClipperPolygon uniteAll(std::vector<ClipperPolygon>& polygons) {
  std::size_t count = polygons.size();
  while (count > 1) {
    std::size_t slot = 0;
    for (std::size_t k = 0; k < count; k += 2, ++slot)
      polygons[slot] = k + 1 < count ? unite(polygons[k], polygons[k + 1]) : std::move(polygons[k]);
    for (std::size_t k = slot; k < count; ++k)
      ClipperPolygon().swap(polygons[k]);  // consumed
    count = slot;
  }
  return std::move(polygons.front());
}

std::optional<Bounds> firstIntersectionBounds(const CoordinateRing& ring, const Bounds& rectangle) {
  const double corners[2][4] = {{rectangle.xMin, rectangle.xMax, rectangle.xMax, rectangle.xMin},
                                {rectangle.yMin, rectangle.yMin, rectangle.yMax, rectangle.yMax}};
  const ClipperPolygon band = {clipperPath(CoordinateRing{corners[0], corners[1], 4})};
  const ClipperLib::PolyTree result = clip(ClipperLib::ctIntersection, {clipperPath(ring)}, band);
  if (result.ChildCount() == 0 || result.Childs[0]->Contour.empty()) return std::nullopt;
  const Path& contour = result.Childs[0]->Contour;
  Bounds bounds{DBL_MAX, DBL_MAX, -DBL_MAX, -DBL_MAX};
  for (const IntPoint& point : contour) {
    bounds.xMin = std::min(bounds.xMin, static_cast<double>(point.X) / kClipperScale);
    bounds.xMax = std::max(bounds.xMax, static_cast<double>(point.X) / kClipperScale);
    bounds.yMin = std::min(bounds.yMin, static_cast<double>(point.Y) / kClipperScale);
    bounds.yMax = std::max(bounds.yMax, static_cast<double>(point.Y) / kClipperScale);
  }
  return bounds;
}

}  // namespace tessary
