// The shape and linkage exports. The shape exports report through their results
// only; no exception leaves them: the guard turns a clipper failure or exhausted
// memory into spatial_result::kGeometryFailed without a message. spatialTransform
// shows an unreadable or mismatched linkage file through showMessageBox.
#include "frame/boundary.h"
#include "spatial/geo_id_statistics.h"
#include "spatial/linkage.h"
#include "spatial/shape_access.h"
#include "spatial/shape_conversion.h"
#include "spatial/spatial_results.h"
#include "spatial/spatial_transform.h"
#include "tessary.h"

namespace tessary {
namespace {

constexpr BoundaryPolicy kShapePolicy{.caption = "",
                                      .textResult = spatial_result::kGeometryFailed,
                                      .showText = false,
                                      .otherResult = spatial_result::kGeometryFailed};

constexpr BoundaryPolicy kTransformPolicy{
    .caption = "msgbox",
    .textResult = kLinkageUnreadable,
    .textThroughMessageBox = true,
    .otherResult = static_cast<std::uint8_t>(spatial_result::kGeometryFailed)};

template <class Body>
std::int32_t guardShapes(Body&& body) {
  return guardExport<std::int32_t>(kShapePolicy, std::forward<Body>(body));
}

}  // namespace
}  // namespace tessary

extern "C" {

TESSARY_EXPORT int32_t getSizes(const char* path, int32_t* totalVertices, int32_t* totalParts,
                                int32_t* totalLabelLength, int32_t* maxVertices) {
  using namespace tessary;
  return guardShapes([&] {
    ShapeSizes sizes;
    const std::int32_t result = readShapeSizes(path, sizes);
    if (result >= 0) {
      *totalVertices = sizes.totalVertices;
      *totalParts = sizes.totalParts;
      *totalLabelLength = sizes.totalLabelLength;
      *maxVertices = sizes.maxVertices;
    }
    return result;
  });
}

TESSARY_EXPORT int32_t getShapes(const char* path, int32_t* records, int32_t* coords, char* labels,
                                 double* bounds, double* filter, int32_t filterCount,
                                 int32_t mode) {
  using namespace tessary;
  return guardShapes([&] {
    return fillShapes(path, ShapeBuffers{records, coords, labels, bounds}, filter, filterCount,
                      mode);
  });
}

TESSARY_EXPORT int32_t getShapeNo(double x, double y, const int32_t* records, const int32_t* coords,
                                  int32_t nShapes) {
  return tessary::hitShape(x, y, records, coords, nShapes);
}

TESSARY_EXPORT int32_t getGeoIDStats(const char* path, const char* idField, const char* checkField,
                                     int32_t start, int32_t length, int32_t shiftDigits,
                                     double* minOut, double* maxOut) {
  using namespace tessary;
  return guardShapes([&] {
    return geoIdStatistics(path, idField, checkField, start, length, shiftDigits, *minOut, *maxOut);
  });
}

TESSARY_EXPORT int32_t shapeStandardize(const char* source, const char* target, const char* idField,
                                        const char* labelField, int32_t start, int32_t length) {
  using namespace tessary;
  return guardShapes(
      [&] { return standardizeShapes(source, target, idField, labelField, start, length); });
}

TESSARY_EXPORT int32_t shapeAggregation(const char* source, const char* target, const char* idField,
                                        const char* labelField, int32_t shiftDigits) {
  using namespace tessary;
  return guardShapes(
      [&] { return aggregateShapes(source, target, idField, labelField, shiftDigits); });
}

TESSARY_EXPORT int32_t buildLinkageMatrix(const char* path, int32_t kind, int32_t parameter) {
  using namespace tessary;
  return guardShapes([&] { return buildLinkage(path != nullptr ? path : "", kind, parameter); });
}

TESSARY_EXPORT uint8_t spatialTransform(const char* path, double* x, double* out, int32_t n,
                                        int32_t kind, int32_t parameter) {
  using namespace tessary;
  return guardExport<std::uint8_t>(kTransformPolicy,
                                   [&] { return smoothValues(path, x, out, n, kind, parameter); });
}

}  // extern "C"
