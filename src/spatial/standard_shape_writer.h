// Writes a standard shape file: polygons appended one by one, each with its summary
// record (sequence number, GID, counts, label, bounds, label anchor, area).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "spatial/polygon_rings.h"
#include "spatial/shape_files.h"

namespace tessary {

class StandardShapeWriter {
 public:
  // Creates path.shp/.shx and path.dbf with the summary fields: kOk,
  // kTargetShapeNotCreated or kTargetTableNotCreated (the files made so far stay).
  std::int32_t create(std::string_view path);

  void add(const PolygonRings& polygon, double gid, std::string label);

  int written() const { return written_; }
  // Flushes and closes the files.
  void close();

 private:
  ShapeFile shapes_;
  TableFile table_;
  int written_ = 0;
};

}  // namespace tessary
