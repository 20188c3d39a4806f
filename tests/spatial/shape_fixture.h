// Shape files for the spatial tests, written and read straight through shapelib.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "spatial/geo_anchors.h"

namespace tessary::testing {

using Ring = std::vector<std::pair<double, double>>;
using Shape = std::vector<Ring>;

// The closed clockwise ring of the axis-parallel square with lower left (x, y).
Ring square(double x, double y, double side);
Ring reversed(Ring ring);

// A field of the attribute table: type 'C', 'N', 'F', 'L' or 'D'; one value per
// shape, written as text.
struct Field {
  std::string name;
  char type;
  int width;
  int decimals;
  std::vector<std::string> values;
};

// Writes stem.shp/.shx (polygons) and stem.dbf.
void writeShapeSet(const std::string& stem, const std::vector<Shape>& shapes,
                   const std::vector<Field>& fields);

std::vector<Shape> readShapes(const std::string& stem);

// Every value of a field as shapelib reads it as a string.
std::vector<std::string> readColumn(const std::string& stem, const char* field);

// Name, type letter, width and decimals of every field, "Seq N 10 0" ...
std::vector<std::string> fieldDefinitions(const std::string& stem);

// A table of label anchors (longitude, latitude: "centerX", "centerY", or only the
// first) over small squares.
void writeAnchors(const std::string& stem, const std::vector<GeoPoint>& anchors,
                  bool withCenterY = true);

// The squares of a columns x rows grid with side 1, row by row from the bottom, with
// GID 1, 2, ... and labels "A1", "A2", ...
void writeSquareGrid(const std::string& stem, int columns, int rows);

}  // namespace tessary::testing
