#include "support/shape_tools.h"

#include <algorithm>
#include <cmath>

#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/file.h"
#include "platform/text.h"
#include "spatial/attribute_table.h"
#include "spatial/linkage_file.h"
#include "spatial/shape_access.h"
#include "spatial/spatial_results.h"
#include "spatial/spatial_transform.h"
#include "support/area_shapes.h"
#include "support/area_values.h"
#include "support/shape_messages.h"
#include "tessary.h"

namespace tessary::cli {
namespace {

const char* fieldTypeName(DBFFieldType type) {
  switch (type) {
    case FTString:
      return "text";
    case FTInteger:
      return "integer";
    case FTDouble:
      return "number";
    case FTLogical:
      return "logical";
    case FTDate:
      return "date";
    default:
      return "other";
  }
}

std::string describeTable(const std::string& stem) {
  const AttributeTable table(stem);
  if (!table.isOpen()) raiseFailure(shapeFailureText(spatial_result::kTableNotOpened, {stem}));
  std::string text = formatText("%s.dbf: %d records\n  %-11s %-8s %5s %8s\n", stem.c_str(),
                                table.recordCount(), "FIELD", "TYPE", "WIDTH", "DECIMALS");
  for (const TableField& f : table.fields())
    text += formatText("  %-11s %-8s %5d %8d\n", f.name.c_str(), fieldTypeName(f.type), f.width,
                       f.decimals);
  return text;
}

std::string describeStandard(const std::string& stem) {
  const AttributeTable table(stem);
  for (const char* field : {"GID", "Label", "centerX", "centerY", "Area", "xMin", "yMin", "xMax",
                            "yMax", "nVertices", "nParts", "LabelLen"})
    if (table.fieldIndex(field) < 0)
      return formatText(
          "not a standard shape file (no field %s): `tessary shape standardize` "
          "makes one\n",
          field);
  ShapeSizes sizes;
  checkShapeResult(readShapeSizes(stem.c_str(), sizes), {stem});
  const AreaShapes shapes = readAreaShapes(stem);
  double low = 0, high = 0;
  const std::int32_t distinct = getGeoIDStats(stem.c_str(), "GID", "Label", 0, 0, 0, &low, &high);
  std::string text = formatText(
      "standard: %d areas, %d vertices in %d rings; GID %s to %s, %d distinct\n"
      "bounds: %.6f %.6f %.6f %.6f\n",
      shapes.count, sizes.totalVertices, sizes.totalParts, formatGeneral(low, 15).c_str(),
      formatGeneral(high, 15).c_str(), distinct, shapes.bounds[0] / 1e6, shapes.bounds[1] / 1e6,
      shapes.bounds[2] / 1e6, shapes.bounds[3] / 1e6);
  for (std::int32_t kind = kContiguity; kind <= kNearest; ++kind)
    if (fileExists(linkageFilePath(stem, kind)))
      text += "linkage file: " + linkageFilePath(stem, kind) + "\n";
  return text;
}

std::string number(double value) {
  return std::isfinite(value) ? formatGeneral(value, 15) : std::string();
}

std::string csvText(const std::string& text) {
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text)
    quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

// Smoothing over a linkage file builds the file first when it is absent.
std::string ensureLinkageFile(const std::string& shapes, const Neighbourhood& n) {
  if (n.kind < kContiguity || n.kind > kNearest) return {};
  const std::string path = linkageFilePath(shapes, n.kind);
  if (fileExists(path)) return {};
  checkShapeResult(buildLinkageMatrix(shapes.c_str(), n.kind, n.parameter), {shapes});
  return "built " + path + "\n";
}

void checkSmoothing(std::uint8_t result, const SmoothOptions& o) {
  if (result == 0) return;
  const std::string linkage = linkageFilePath(o.shapes, std::clamp(o.neighbourhood.kind, 1, 3));
  if (result == kLinkageUnreadable)
    raiseFailure(linkage +
                 " does not fit (see the message above): rebuild it with `tessary shape link`");
  if (result == kAreaCountDiffers)
    raiseFailure(o.neighbourhood.kind == kInverseDistance
                     ? shapeFailureText(spatial_result::kTableNotOpened, {o.shapes})
                     : linkage + " has another number of areas than " + shapeStem(o.shapes) +
                           ".shp: rebuild it with `tessary shape link`");
  raiseFailure(shapeFailureText(static_cast<std::int8_t>(result), {o.shapes}));
}

}  // namespace

std::string describeNeighbourhood(const Neighbourhood& n) {
  switch (n.kind) {
    case kContiguity:
      return "contiguity";
    case kDistanceBand:
      return formatText("a %d km distance band", n.parameter);
    case kNearest:
      return formatText("the %d nearest neighbours", n.parameter);
    default:
      return formatText("inverse distance weights (power %d)", n.parameter);
  }
}

std::string describeShapeFile(const std::string& path) {
  const std::string stem = shapeStem(path);
  const ShapeFile file = openShapeFile(stem);
  if (file == nullptr) raiseFailure(shapeFailureText(spatial_result::kShapeFileNotOpened, {stem}));
  std::string text = formatText("%s.shp: %d shapes, %s\n", stem.c_str(), shapeCount(file.get()),
                                SHPTypeName(shapeType(file.get())));
  return text + describeTable(stem) + describeStandard(stem);
}

std::string standardizeShapeFile(const StandardizeOptions& o) {
  const ShapeCall call{o.source, o.target, o.id, o.label};
  checkShapeResult(shapeStandardize(o.source.c_str(), o.target.c_str(), o.id.c_str(),
                                    o.label.c_str(), o.start, o.length),
                   call);
  ShapeSizes sizes;
  const std::int32_t areas = checkShapeResult(readShapeSizes(o.target.c_str(), sizes), {o.target});
  return formatText("Wrote %s.shp: %d areas, one per %s, with the summary table %s.dbf\n",
                    shapeStem(o.target).c_str(), areas, o.id.c_str(), shapeStem(o.target).c_str());
}

std::string aggregateShapeFile(const AggregateOptions& o) {
  const ShapeCall call{o.source, o.target, o.id, o.label};
  const std::int32_t last = checkShapeResult(
      shapeAggregation(o.source.c_str(), o.target.c_str(), o.id.c_str(), o.label.c_str(), o.digits),
      call);
  const std::string stem = shapeStem(o.target);
  return formatText("Wrote %s.shp: %d areas (%s without its last %d digits), contiguity in %s\n",
                    stem.c_str(), last + 1, o.id.c_str(), o.digits,
                    linkageFilePath(stem, kContiguity).c_str());
}

std::string linkShapeFile(const std::string& path, const Neighbourhood& n) {
  checkShapeResult(buildLinkageMatrix(path.c_str(), n.kind, n.parameter), {path});
  const std::string file = linkageFilePath(path, n.kind);
  const LinkageFile linkage(file, n.kind, n.kind == kContiguity ? 1 : n.parameter);
  std::size_t links = 0, alone = 0;
  for (const auto& list : linkage.lists()) {
    links += list.size();
    alone += list.empty();
  }
  const double mean = linkage.areaCount() > 0 ? double(links) / linkage.areaCount() : 0.0;
  return formatText("Wrote %s: %s of %d areas, %.2f neighbours per area, %zu without any\n",
                    file.c_str(), describeNeighbourhood(n).c_str(), linkage.areaCount(), mean,
                    alone);
}

std::string smoothAreaValues(const SmoothOptions& o) {
  const AreaShapes shapes = readAreaShapes(o.shapes);
  const AreaValues values = valuesByArea(shapes, o.values, o.id, o.column);
  std::string account = ensureLinkageFile(o.shapes, o.neighbourhood);
  std::vector<double> smoothed(values.values.size());
  checkSmoothing(
      spatialTransform(o.shapes.c_str(), const_cast<double*>(values.values.data()), smoothed.data(),
                       shapes.count, o.neighbourhood.kind, o.neighbourhood.parameter),
      o);
  std::string csv = "GID,label," + csvText(o.column) + "," + csvText(o.column + "_smoothed") + "\n";
  std::size_t done = 0;
  for (std::int32_t k = 0; k < shapes.count; ++k) {
    csv += number(shapes.gid(k)) + "," + csvText(shapes.label(k)) + "," + number(values.values[k]) +
           "," + number(smoothed[k]) + "\n";
    done += std::isfinite(smoothed[k]);
  }
  if (!writeWholeFile(o.out, csv)) raiseFailure(o.out + ": can't write the file");
  return account +
         formatText("Smoothed %s over %s: %d areas, %zu with a value, %zu smoothed -> %s\n",
                    o.column.c_str(), describeNeighbourhood(o.neighbourhood).c_str(), shapes.count,
                    values.withValue, done, o.out.c_str());
}

}  // namespace tessary::cli
