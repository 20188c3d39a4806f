#include "spatial/linkage.h"

#include "spatial/geo_anchors.h"
#include "spatial/linkage_file.h"
#include "spatial/spatial_results.h"

namespace tessary {

std::int32_t buildLinkage(std::string_view shapePath, std::int32_t kind, std::int32_t parameter) {
  NeighbourLists lists;
  if (kind == kContiguity) {
    parameter = 1;
    if (const auto result = contiguityLists(shapePath, lists); result != spatial_result::kOk)
      return result;
  } else if (kind == kDistanceBand || kind == kNearest) {
    std::vector<GeoPoint> anchors;
    if (const auto result = readAnchors(shapePath, anchors); result != spatial_result::kOk)
      return result;
    lists = kind == kDistanceBand ? distanceBandLists(anchors, parameter)
                                  : nearestLists(anchors, parameter);
  } else {
    return spatial_result::kOk;
  }
  return writeLinkageFile(linkageFilePath(shapePath, kind), kind, parameter, lists)
             ? spatial_result::kOk
             : spatial_result::kLinkageNotCreated;
}

}  // namespace tessary
