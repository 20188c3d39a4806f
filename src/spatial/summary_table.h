// The summary attribute table of a standard shape file: one record per polygon.
//
// Fields, in this order (shapelib type, width, decimals): Seq (integer 10), GID
// (double 18.1), nVertices (integer 16), nParts (integer 16), Label (string 64),
// xMin, yMin, xMax, yMax (double 16.10), centerX, centerY (double 16.10, the label
// anchor), Area (double 16.6), LabelLen (integer 2).
#pragma once

#include <string>

#include "spatial/polygon_rings.h"

namespace tessary {

struct SummaryRecord {
  int seq = 0;
  double gid = 0.0;
  int vertices = 0;
  int parts = 0;
  std::string label;
  Bounds bounds;
  double centerX = 0.0, centerY = 0.0;
  double area = 0.0;  // positive for clockwise outer rings
  int labelLength = 0;
};

// The record of `polygon`: counts, bounds, the negated shoelace area over all rings,
// the label anchor and the label's length without its outer blanks.
SummaryRecord summarize(const PolygonRings& polygon, int seq, double gid, std::string label);

// The label anchor: the centre of the bounds for any number of rings but one; for
// one ring its centroid, or, when that falls outside the ring, the centre of the
// first piece of the ring inside the band through the middle of the bounds (1 % of
// the height above and below).
void labelAnchor(const PolygonRings& polygon, const Bounds& bounds, double& x, double& y);

// Defines the summary fields in an empty table; false when shapelib refuses.
bool defineSummaryFields(DBFHandle table);

// Writes record `record.seq`. A value wider than its field keeps its leading
// characters (shapelib's rule); the fixed widths are part of the format.
void writeSummaryRecord(DBFHandle table, const SummaryRecord& record);

}  // namespace tessary
