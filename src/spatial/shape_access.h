// The host's view of a standard shape file: buffer sizes, the selected shapes as
// integer arrays in micro-units, and hit-testing of a point against them.
//
// Shape record, kShapeRecordWords 32-bit words per selected shape:
//   0 shape number in the file, 1 shape type of the file, 2 vertices, 3 parts,
//   4 index in the coordinate array where the shape's parts begin, 5 not written,
//   6 label length, 7 index of the label in the label buffer, then doubles at words
//   8 GID, 10 xMin, 12 yMin, 14 xMax, 16 yMax, 18 centerX, 20 centerY (micro-units,
//   truncated) and 22 Area (not scaled).
// Coordinate array, per part: the part type (the shape's first part's type), the
// part's vertex count n, then n (x, y) pairs in micro-units.
//
// Where the rules leave a choice: mode 3 first cuts filterCount to [0, shape count]
// and then requires the remaining list to be ascending (equal neighbours allowed); a
// shape whose record cannot be read is not selected; with nothing selected the bounds
// come out infinite (the starting extremes times 1,000,000).
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace tessary {

constexpr std::int32_t kShapeRecordWords = 24;

struct ShapeSizes {
  std::int32_t totalVertices = 0;
  std::int32_t totalParts = 0;
  std::int32_t totalLabelLength = 0;
  std::int32_t maxVertices = 0;
};

// The record count of the summary table after filling `sizes` from its nVertices,
// nParts and LabelLen fields; a negative result leaves `sizes` alone.
std::int32_t readShapeSizes(const char* path, ShapeSizes& sizes);

enum ShapeSelectionMode : std::int32_t {
  kEveryShape = 0,
  kGidRange = 1,      // filter[0] <= GID <= filter[1]
  kRectangle = 2,     // the table's rectangle meets filter[0..3] = xmin, ymin, xmax, ymax
  kAscendingGids = 3  // filter[0..filterCount-1], ascending
};

// Caller buffers. The capacities count elements; a fill that would pass one raises a
// Failure. The exports pass unlimited capacities: their caller sizes the buffers.
struct ShapeBuffers {
  std::int32_t* records;
  std::int32_t* coords;
  char* labels;
  double* bounds;  // 4 doubles: xmin, ymin, xmax, ymax (times 1,000,000)
  std::size_t recordCapacity = std::numeric_limits<std::size_t>::max();
  std::size_t coordCapacity = std::numeric_limits<std::size_t>::max();
  std::size_t labelCapacity = std::numeric_limits<std::size_t>::max();
};

// Fills the buffers with the selected shapes in file order; returns their number or a
// negative spatial result. A null filter selects every shape.
std::int32_t fillShapes(const char* path, const ShapeBuffers& buffers, const double* filter,
                        std::int32_t filterCount, std::int32_t mode);

// The position in `records` of the first shape holding (x, y) (micro-units) by the
// even-odd rule over all its rings, -1 when none does.
std::int32_t hitShape(double x, double y, const std::int32_t* records, const std::int32_t* coords,
                      std::int32_t nShapes);

// A double stored in two words of a shape record.
double recordDouble(const std::int32_t* record, int word);

}  // namespace tessary
