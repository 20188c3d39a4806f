#include "spatial/shape_conversion.h"

#include <cfloat>
#include <string>
#include <vector>

#include "frame/boundary.h"
#include "frame/trace.h"
#include "numeric/small_statistics.h"
#include "spatial/attribute_table.h"
#include "spatial/geo_id_statistics.h"
#include "spatial/linkage.h"
#include "spatial/polygon_clipper.h"
#include "spatial/spatial_results.h"
#include "spatial/standard_shape_writer.h"

namespace tessary {
namespace {

using namespace spatial_result;

// The open source and target of one conversion.
struct Conversion {
  ShapeFile source;
  AttributeTable sourceTable;
  StandardShapeWriter target;
  NumberField id;
  int label = -1;

  void write(const PolygonRings& polygon, double gid, int labelRecord) {
    target.add(polygon, gid, sourceTable.text(labelRecord, label));
  }
};

void printFieldLine(const AttributeTable& table, int field, std::int32_t start,
                    std::int32_t length) {
  trace() << field << ' ' << static_cast<int>(table.fieldType(field)) << ' ' << start << ' '
          << length << "<<<<\n";
}

// Opens and creates the files and checks the fields; standardisation also prints the
// fields and checks their types.
std::int32_t open(Conversion& c, const char* source, const char* target, const char* idField,
                  const char* labelField, std::int32_t start, std::int32_t length,
                  bool standardizing) {
  c.source = openShapeFile(argumentText(source));
  if (c.source == nullptr) return kShapeFileNotOpened;
  c.sourceTable = AttributeTable(argumentText(source));
  if (!c.sourceTable.isOpen()) return kTableNotOpened;
  if (const auto result = c.target.create(argumentText(target)); result != kOk) return result;
  c.id = c.sourceTable.numberField(idField, start, length);
  c.label = c.sourceTable.fieldIndex(labelField);
  if (standardizing) {
    printFieldLine(c.sourceTable, c.id.index, start, length);
    printFieldLine(c.sourceTable, c.label, start, length);
  }
  if (!c.id.exists()) return kIdFieldMissing;
  if (c.label < 0) return kLabelFieldMissing;
  if (standardizing && (start > 0 || length > 0) && c.id.type != FTString)
    return kSubstringOfNumber;
  if (standardizing && c.sourceTable.fieldType(c.label) != FTString) return kLabelNotText;
  return checkReadable(c.sourceTable, c.id);
}

void appendShapeRings(const Conversion& c, int index, PolygonRings& polygon) {
  if (const ShapeObject shape = readShape(c.source.get(), index)) polygon.appendShape(*shape);
}

PolygonRings unitedGroup(const Conversion& c, const std::vector<int>& members) {
  std::vector<PolygonRings> polygons(members.size());
  for (std::size_t k = 0; k < members.size(); ++k)
    appendShapeRings(c, members[k], polygons[k]);
  if (polygons.size() == 1) return std::move(polygons.front());
  std::vector<ClipperPolygon> clipped;
  clipped.reserve(polygons.size());
  for (PolygonRings& polygon : polygons) {
    clipped.push_back(toClipper(polygon));
    polygon = PolygonRings();
  }
  return fromClipper(uniteAll(clipped));
}

}  // namespace

std::int32_t standardizeShapes(const char* source, const char* target, const char* idField,
                               const char* labelField, std::int32_t start, std::int32_t length) {
  Conversion c;
  if (const auto result = open(c, source, target, idField, labelField, start, length, true);
      result != kOk)
    return result;
  const int n = shapeCount(c.source.get());
  std::vector<double> ids(n), order(n);
  for (int i = 0; i < n; ++i) {
    ids[i] = c.sourceTable.number(i, c.id);
    order[i] = i;
  }
  coSort(ids.data(), order.data(), n);
  for (int first = 0; first < n;) {
    int end = first + 1;
    while (end < n && ids[end] == ids[first])
      ++end;
    PolygonRings merged;
    for (int k = first; k < end; ++k)
      appendShapeRings(c, static_cast<int>(order[k]), merged);
    c.write(merged, ids[first], static_cast<int>(order[first]));
    first = end;
  }
  return kOk;
}

std::int32_t aggregateShapes(const char* source, const char* target, const char* idField,
                             const char* labelField, std::int32_t shiftDigits) {
  Conversion c;
  if (const auto result = open(c, source, target, idField, labelField, 0, 0, false); result != kOk)
    return result;
  const int n = shapeCount(c.source.get());
  std::vector<std::int64_t> keys(n);
  double previous = -DBL_MAX;
  for (int i = 0; i < n; ++i) {
    const double id = c.sourceTable.number(i, c.id);
    if (!(id > previous)) return kNotAscending;
    previous = id;
    keys[i] = shiftedIdentifier(id, shiftDigits);
  }
  std::vector<int> members;
  for (int i = 0; i < n; ++i) {
    members.push_back(i);
    if (i + 1 < n && keys[i + 1] == keys[i]) continue;
    c.write(unitedGroup(c, members), static_cast<double>(keys[i]), members.front());
    members.clear();
  }
  c.target.close();
  buildLinkage(argumentText(target), kContiguity, 1);
  return c.target.written() - 1;
}

}  // namespace tessary
