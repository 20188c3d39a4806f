#include "support/shape_messages.h"

#include "frame/failure.h"
#include "spatial/shape_files.h"
#include "spatial/spatial_results.h"

namespace tessary::cli {

std::string shapeFailureText(std::int32_t result, const ShapeCall& call) {
  namespace r = spatial_result;
  const std::string source = shapeStem(call.source), target = shapeStem(call.target);
  switch (result) {
    case r::kShapeFileNotOpened:
      return source + ".shp: can't open the shape file (or its .shx index)";
    case r::kTableNotOpened:
      return source + ".dbf: can't open the attribute table";
    case r::kTargetShapeNotCreated:
      return target + ".shp: can't create the shape file";
    case r::kTargetTableNotCreated:
      return target + ".dbf: can't create the attribute table";
    case r::kIdFieldMissing:
      return source + ".dbf has no field " + call.idField;
    case r::kLabelFieldMissing:
      return source + ".dbf has no field " + call.labelField;
    case r::kSummaryFieldMissing:
      return source +
             ".dbf is not a standard summary table (no centerX, centerY, Area or "
             "bounds): run `tessary shape standardize` first";
    case r::kNotAscending:
      return "the identifiers " + call.idField + " of " + source +
             ".dbf do not ascend strictly: standardize the file first";
    case r::kSubstringOfNumber:
      return "--start and --length need a text identifier, and " + call.idField + " holds numbers";
    case r::kLabelNotText:
      return "the label field " + call.labelField + " does not hold text";
    case r::kFieldUnreadable:
      return source + ".dbf: a field that should hold numbers is logical or a date";
    case r::kGeometryFailed:
      return "the polygon clipper failed (a coordinate beyond its range) or memory ran out";
    default:
      return "failed with result " + std::to_string(result);
  }
}

std::int32_t checkShapeResult(std::int32_t result, const ShapeCall& call) {
  if (result < 0) raiseFailure(shapeFailureText(result, call));
  return result;
}

}  // namespace tessary::cli
