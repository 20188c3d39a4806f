#include "spatial/shape_access.h"

#include <algorithm>
#include <cfloat>
#include <cstring>
#include <string>

#include "frame/failure.h"
#include "spatial/attribute_table.h"
#include "spatial/crossing_rule.h"
#include "spatial/micro_units.h"
#include "spatial/spatial_results.h"

namespace tessary {
namespace {

using namespace spatial_result;

void putDouble(std::int32_t* record, int word, double value) {
  std::memcpy(record + word, &value, sizeof value);
}

std::int32_t saturatedSum(std::int64_t sum) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, 0, INT32_MAX));
}

struct SummaryFields {
  NumberField gid, centerX, centerY, area, xMin, yMin, xMax, yMax;
  int label = -1;
};

std::int32_t findSummaryFields(const AttributeTable& table, SummaryFields& f) {
  f.gid = table.numberField("GID");
  if (!f.gid.exists()) return kIdFieldMissing;
  f.label = table.fieldIndex("Label");
  if (f.label < 0) return kLabelFieldMissing;
  f.centerX = table.numberField("centerX");
  f.centerY = table.numberField("centerY");
  f.area = table.numberField("Area");
  f.xMin = table.numberField("XMin");
  f.yMin = table.numberField("YMin");
  f.xMax = table.numberField("XMax");
  f.yMax = table.numberField("YMax");
  for (const NumberField* field :
       {&f.centerX, &f.centerY, &f.area, &f.xMin, &f.yMin, &f.xMax, &f.yMax})
    if (!field->exists()) return kSummaryFieldMissing;
  return checkReadable(table, f.gid, f.centerX, f.centerY, f.area, f.xMin, f.yMin, f.xMax, f.yMax);
}

// Which shapes a getShapes call takes, decided one shape at a time in file order.
class ShapeSelector {
 public:
  enum Decision { kTake, kSkip, kStop };

  ShapeSelector(const double* filter, std::int32_t filterCount, std::int32_t mode, int shapes)
      : filter_(filter), mode_(filter != nullptr ? mode : kEveryShape) {
    wanted_ = std::clamp(filterCount, 0, shapes);
  }

  bool wellFormed() const {
    if (mode_ != kAscendingGids) return true;
    for (std::int32_t k = 1; k < wanted_; ++k)
      if (filter_[k] < filter_[k - 1]) return false;
    return true;
  }

  Decision decide(const AttributeTable& table, const SummaryFields& f, int record) {
    switch (mode_) {
      case kGidRange: {
        const double gid = table.number(record, f.gid);
        return filter_[0] <= gid && gid <= filter_[1] ? kTake : kSkip;
      }
      case kRectangle:
        return meetsRectangle(table, f, record) ? kTake : kSkip;
      case kAscendingGids:
        if (next_ >= wanted_) return kStop;
        if (table.number(record, f.gid) != filter_[next_]) return kSkip;
        ++next_;
        return kTake;
      default:
        return kTake;
    }
  }

 private:
  bool meetsRectangle(const AttributeTable& table, const SummaryFields& f, int record) const {
    return !(
        table.number(record, f.xMax) < filter_[0] || filter_[2] < table.number(record, f.xMin) ||
        table.number(record, f.yMax) < filter_[1] || filter_[3] < table.number(record, f.yMin));
  }

  const double* filter_;
  std::int32_t mode_;
  std::int32_t wanted_ = 0;
  std::int32_t next_ = 0;
};

// Appends selected shapes to the caller's buffers.
class ShapeWriter {
 public:
  explicit ShapeWriter(const ShapeBuffers& buffers) : out_(buffers) {}

  void append(int index, int fileType, const SHPObject& shape, double gid, double centerX,
              double centerY, double area, const std::string& label) {
    require(std::size_t(count_ + 1) * kShapeRecordWords <= out_.recordCapacity);
    require(labelsUsed_ + label.size() <= out_.labelCapacity);
    std::int32_t* record = out_.records + std::size_t(count_) * kShapeRecordWords;
    record[0] = index;
    record[1] = fileType;
    record[2] = shape.nVertices;
    record[3] = shape.nParts;
    record[4] = static_cast<std::int32_t>(coordsUsed_);
    record[6] = static_cast<std::int32_t>(label.size());
    record[7] = static_cast<std::int32_t>(labelsUsed_);
    putDouble(record, 8, gid);
    putDouble(record, 10, microUnits(shape.dfXMin));
    putDouble(record, 12, microUnits(shape.dfYMin));
    putDouble(record, 14, microUnits(shape.dfXMax));
    putDouble(record, 16, microUnits(shape.dfYMax));
    putDouble(record, 18, microUnits(centerX));
    putDouble(record, 20, microUnits(centerY));
    putDouble(record, 22, area);
    if (!label.empty()) std::memcpy(out_.labels + labelsUsed_, label.data(), label.size());
    labelsUsed_ += label.size();
    appendParts(shape);
    widenBounds(shape);
    ++count_;
  }

  std::int32_t finish() {
    for (int k = 0; k < 4; ++k)
      out_.bounds[k] = bounds_[k] * kMicroUnitsPerMapUnit;
    return count_;
  }

 private:
  static void require(bool fits) {
    throwUnless(fits, "The summary table understates the sizes of the shapes.\n");
  }

  void appendParts(const SHPObject& shape) {
    const int partType = shape.nParts > 0 ? shape.panPartType[0] : 0;
    for (int p = 0; p < shape.nParts; ++p) {
      const int from = std::clamp(shape.panPartStart[p], 0, shape.nVertices);
      const int to = p + 1 < shape.nParts
                         ? std::clamp(shape.panPartStart[p + 1], from, shape.nVertices)
                         : shape.nVertices;
      require(coordsUsed_ + 2 + 2 * std::size_t(to - from) <= out_.coordCapacity);
      std::int32_t* at = out_.coords + coordsUsed_;
      *at++ = partType;
      *at++ = to - from;
      for (int v = from; v < to; ++v) {
        *at++ = microUnits(shape.padfX[v]);
        *at++ = microUnits(shape.padfY[v]);
      }
      coordsUsed_ = static_cast<std::size_t>(at - out_.coords);
    }
  }

  void widenBounds(const SHPObject& shape) {
    bounds_[0] = std::min(bounds_[0], shape.dfXMin);
    bounds_[1] = std::min(bounds_[1], shape.dfYMin);
    bounds_[2] = std::max(bounds_[2], shape.dfXMax);
    bounds_[3] = std::max(bounds_[3], shape.dfYMax);
  }

  const ShapeBuffers& out_;
  std::int32_t count_ = 0;
  std::size_t coordsUsed_ = 0;
  std::size_t labelsUsed_ = 0;
  double bounds_[4] = {DBL_MAX, DBL_MAX, -DBL_MAX, -DBL_MAX};
};

// The shape's parts as rings of micro-unit pairs in a coordinate array.
struct MicroUnitRing {
  const std::int32_t* pairs;
  std::size_t count;
  std::size_t size() const { return count; }
  double x(std::size_t k) const { return pairs[2 * k]; }
  double y(std::size_t k) const { return pairs[2 * k + 1]; }
};

bool holdsPoint(const std::int32_t* record, const std::int32_t* coords, double x, double y) {
  if (!(recordDouble(record, 10) <= x && x <= recordDouble(record, 14) &&
        recordDouble(record, 12) <= y && y <= recordDouble(record, 16)))
    return false;
  const std::int32_t* part = coords + record[4];
  int crossings = 0;
  for (std::int32_t p = 0; p < record[3]; ++p) {
    const std::int32_t n = std::max(part[1], 0);
    crossings += ringCrossings(MicroUnitRing{part + 2, std::size_t(n)}, x, y);
    part += 2 + 2 * std::size_t(n);
  }
  return crossings % 2 == 1;
}

}  // namespace

double recordDouble(const std::int32_t* record, int word) {
  double value;
  std::memcpy(&value, record + word, sizeof value);
  return value;
}

std::int32_t readShapeSizes(const char* path, ShapeSizes& sizes) {
  const AttributeTable table(path != nullptr ? path : "");
  if (!table.isOpen()) return kTableNotOpened;
  if (table.fieldIndex("GID") < 0) return kIdFieldMissing;
  const NumberField vertices = table.numberField("nVertices");
  const NumberField parts = table.numberField("nParts");
  const NumberField labelLength = table.numberField("LabelLen");
  if (const auto result = checkReadable(table, vertices, parts, labelLength); result != kOk)
    return result;
  std::int64_t totals[3] = {0, 0, 0};
  double largest = 0.0;
  const int records = table.recordCount();
  for (int r = 0; r < records; ++r) {
    const double v = table.number(r, vertices);
    totals[0] += std::max(saturatingInt32(v), 0);
    totals[1] += std::max(saturatingInt32(table.number(r, parts)), 0);
    totals[2] += std::max(saturatingInt32(table.number(r, labelLength)), 0);
    largest = std::max(largest, v);
  }
  sizes = {saturatedSum(totals[0]), saturatedSum(totals[1]), saturatedSum(totals[2]),
           saturatingInt32(largest)};
  return records;
}

std::int32_t fillShapes(const char* path, const ShapeBuffers& buffers, const double* filter,
                        std::int32_t filterCount, std::int32_t mode) {
  const std::string stem = path != nullptr ? path : "";
  const ShapeFile shapes = openShapeFile(stem);
  if (shapes == nullptr) return kShapeFileNotOpened;
  const AttributeTable table(stem);
  if (!table.isOpen()) return kTableNotOpened;
  SummaryFields fields;
  if (const auto result = findSummaryFields(table, fields); result != kOk) return result;
  const int count = shapeCount(shapes.get());
  ShapeSelector selector(filter, filterCount, mode, count);
  if (!selector.wellFormed()) return kNotAscending;
  ShapeWriter writer(buffers);
  for (int i = 0; i < count; ++i) {
    const auto decision = selector.decide(table, fields, i);
    if (decision == ShapeSelector::kStop) break;
    if (decision == ShapeSelector::kSkip) continue;
    const ShapeObject shape = readShape(shapes.get(), i);
    if (shape == nullptr) continue;  // an unreadable record is not drawn
    writer.append(i, shapeType(shapes.get()), *shape, table.number(i, fields.gid),
                  table.number(i, fields.centerX), table.number(i, fields.centerY),
                  table.number(i, fields.area), table.text(i, fields.label));
  }
  return writer.finish();
}

std::int32_t hitShape(double x, double y, const std::int32_t* records, const std::int32_t* coords,
                      std::int32_t nShapes) {
  for (std::int32_t s = 0; s < nShapes; ++s)
    if (holdsPoint(records + std::size_t(s) * kShapeRecordWords, coords, x, y)) return s;
  return -1;
}

}  // namespace tessary
