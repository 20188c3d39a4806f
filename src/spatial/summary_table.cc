#include "spatial/summary_table.h"

#include "platform/text.h"
#include "spatial/polygon_clipper.h"

namespace tessary {
namespace {

struct FieldDefinition {
  const char* name;
  DBFFieldType type;
  int width;
  int decimals;
};

constexpr FieldDefinition kSummaryFields[] = {
    {"Seq", FTInteger, 10, 0},     {"GID", FTDouble, 18, 1},      {"nVertices", FTInteger, 16, 0},
    {"nParts", FTInteger, 16, 0},  {"Label", FTString, 64, 0},    {"xMin", FTDouble, 16, 10},
    {"yMin", FTDouble, 16, 10},    {"xMax", FTDouble, 16, 10},    {"yMax", FTDouble, 16, 10},
    {"centerX", FTDouble, 16, 10}, {"centerY", FTDouble, 16, 10}, {"Area", FTDouble, 16, 6},
    {"LabelLen", FTInteger, 2, 0},
};

// The centroid of one ring, by the shoelace terms.
void centroid(const CoordinateRing& ring, double& x, double& y) {
  double sx = 0.0, sy = 0.0;
  for (std::size_t k = 0; k < ring.size(); ++k) {
    const std::size_t next = k + 1 < ring.size() ? k + 1 : 0;
    const double c = ring.x(k) * ring.y(next) - ring.x(next) * ring.y(k);
    sx += (ring.x(k) + ring.x(next)) * c;
    sy += (ring.y(k) + ring.y(next)) * c;
  }
  const double area = signedArea(ring);
  x = sx / (6 * area);
  y = sy / (6 * area);
}

}  // namespace

void labelAnchor(const PolygonRings& polygon, const Bounds& bounds, double& x, double& y) {
  x = bounds.centreX();
  y = bounds.centreY();
  if (polygon.ringCount() != 1) return;
  const CoordinateRing ring = polygon.ring(0);
  double cx, cy;
  centroid(ring, cx, cy);
  if (ringCrossings(ring, cx, cy) % 2 == 1) {
    x = cx;
    y = cy;
    return;
  }
  const double margin = (bounds.yMax - bounds.yMin) * 0.01;
  const Bounds band{bounds.xMin, bounds.centreY() - margin, bounds.xMax, bounds.centreY() + margin};
  if (const auto piece = firstIntersectionBounds(ring, band)) {
    x = piece->centreX();
    y = piece->centreY();
  }
}

SummaryRecord summarize(const PolygonRings& polygon, int seq, double gid, std::string label) {
  SummaryRecord record;
  record.seq = seq;
  record.gid = gid;
  record.vertices = polygon.vertexCount();
  record.parts = polygon.ringCount();
  record.labelLength = static_cast<int>(trimBlanks(label, " ").size());
  record.label = std::move(label);
  record.bounds = boundsOf(polygon);
  labelAnchor(polygon, record.bounds, record.centerX, record.centerY);
  double area = 0.0;
  for (int r = 0; r < polygon.ringCount(); ++r)
    area += signedArea(polygon.ring(r));
  record.area = -area;
  return record;
}

bool defineSummaryFields(DBFHandle table) {
  for (const FieldDefinition& field : kSummaryFields)
    if (DBFAddField(table, field.name, field.type, field.width, field.decimals) < 0) return false;
  return true;
}

void writeSummaryRecord(DBFHandle table, const SummaryRecord& r) {
  const int at = r.seq;
  DBFWriteIntegerAttribute(table, at, 0, r.seq);
  DBFWriteDoubleAttribute(table, at, 1, r.gid);
  DBFWriteIntegerAttribute(table, at, 2, r.vertices);
  DBFWriteIntegerAttribute(table, at, 3, r.parts);
  DBFWriteStringAttribute(table, at, 4, r.label.c_str());
  const double values[] = {r.bounds.xMin, r.bounds.yMin, r.bounds.xMax, r.bounds.yMax,
                           r.centerX,     r.centerY,     r.area};
  for (int k = 0; k < 7; ++k)
    DBFWriteDoubleAttribute(table, at, 5 + k, values[k]);
  DBFWriteIntegerAttribute(table, at, 12, r.labelLength);
}

}  // namespace tessary
