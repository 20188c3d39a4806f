#include "spatial/standard_shape_writer.h"

#include "spatial/spatial_results.h"
#include "spatial/summary_table.h"

namespace tessary {

std::int32_t StandardShapeWriter::create(std::string_view path) {
  shapes_ = createPolygonFile(path);
  if (shapes_ == nullptr) return spatial_result::kTargetShapeNotCreated;
  table_ = createTableFile(path);
  if (table_ == nullptr || !defineSummaryFields(table_.get()))
    return spatial_result::kTargetTableNotCreated;
  return spatial_result::kOk;
}

void StandardShapeWriter::add(const PolygonRings& polygon, double gid, std::string label) {
  appendPolygon(shapes_.get(), polygon);
  writeSummaryRecord(table_.get(), summarize(polygon, written_, gid, std::move(label)));
  ++written_;
}

void StandardShapeWriter::close() {
  shapes_.reset();
  table_.reset();
}

}  // namespace tessary
