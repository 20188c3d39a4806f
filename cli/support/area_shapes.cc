#include "support/area_shapes.h"

#include "spatial/shape_access.h"
#include "support/shape_messages.h"

namespace tessary::cli {

const std::int32_t* AreaShapes::record(std::int32_t k) const {
  return records.data() + static_cast<std::size_t>(k) * kShapeRecordWords;
}

double AreaShapes::gid(std::int32_t k) const {
  return recordDouble(record(k), 8);
}

std::string AreaShapes::label(std::int32_t k) const {
  const std::int32_t* r = record(k);
  return std::string(labels.data() + r[7], static_cast<std::size_t>(r[6]));
}

AreaShapes readAreaShapes(const std::string& path) {
  const ShapeCall call{path, "", "GID", "Label"};
  ShapeSizes sizes;
  const std::int32_t areas = checkShapeResult(readShapeSizes(path.c_str(), sizes), call);
  AreaShapes shapes;
  shapes.records.resize(static_cast<std::size_t>(areas) * kShapeRecordWords);
  shapes.coords.resize(2 * static_cast<std::size_t>(sizes.totalParts) +
                       2 * static_cast<std::size_t>(sizes.totalVertices));
  shapes.labels.resize(static_cast<std::size_t>(sizes.totalLabelLength));
  // The capacities guard against a summary table whose counts understate the shapes.
  const ShapeBuffers buffers{shapes.records.data(), shapes.coords.data(),  shapes.labels.data(),
                             shapes.bounds,         shapes.records.size(), shapes.coords.size(),
                             shapes.labels.size()};
  shapes.count = checkShapeResult(fillShapes(path.c_str(), buffers, nullptr, 0, kEveryShape), call);
  return shapes;
}

}  // namespace tessary::cli
