#include "spatial/polygon_rings.h"

#include <algorithm>

namespace tessary {

CoordinateRing PolygonRings::ring(int r) const {
  const std::size_t from = static_cast<std::size_t>(partStarts[r]);
  const std::size_t to =
      r + 1 < ringCount() ? static_cast<std::size_t>(partStarts[r + 1]) : x.size();
  return CoordinateRing{x.data() + from, y.data() + from, to - from};
}

void PolygonRings::appendShape(const SHPObject& shape) {
  if (shape.nVertices <= 0) return;
  if (shape.nParts <= 0) {
    appendRing(shape.padfX, shape.padfY, static_cast<std::size_t>(shape.nVertices));
    return;
  }
  for (int p = 0; p < shape.nParts; ++p) {
    const int from = std::clamp(shape.panPartStart[p], 0, shape.nVertices);
    const int to = p + 1 < shape.nParts
                       ? std::clamp(shape.panPartStart[p + 1], from, shape.nVertices)
                       : shape.nVertices;
    appendRing(shape.padfX + from, shape.padfY + from, static_cast<std::size_t>(to - from));
  }
}

void PolygonRings::appendRing(const double* xs, const double* ys, std::size_t count) {
  partStarts.push_back(vertexCount());
  x.insert(x.end(), xs, xs + count);
  y.insert(y.end(), ys, ys + count);
}

Bounds boundsOf(const PolygonRings& polygon) {
  if (polygon.x.empty()) return {};
  const auto [xMin, xMax] = std::minmax_element(polygon.x.begin(), polygon.x.end());
  const auto [yMin, yMax] = std::minmax_element(polygon.y.begin(), polygon.y.end());
  return {*xMin, *yMin, *xMax, *yMax};
}

double signedArea(const CoordinateRing& ring) {
  double sum = 0.0;
  for (std::size_t k = 0; k < ring.size(); ++k) {
    const std::size_t next = k + 1 < ring.size() ? k + 1 : 0;
    sum += ring.x(k) * ring.y(next) - ring.x(next) * ring.y(k);
  }
  return sum / 2;
}

bool appendPolygon(SHPHandle file, const PolygonRings& polygon) {
  const ShapeObject shape(SHPCreateObject(SHPT_POLYGON, -1, polygon.ringCount(),
                                          polygon.partStarts.data(), nullptr, polygon.vertexCount(),
                                          polygon.x.data(), polygon.y.data(), nullptr, nullptr));
  return shape != nullptr && SHPWriteObject(file, -1, shape.get()) >= 0;
}

}  // namespace tessary
