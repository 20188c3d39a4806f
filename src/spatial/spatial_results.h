// Results of the shape and linkage operations. They report through these numbers only:
// 0 (or a count) on success, one negative code per failure. The two failures the
// shared readers would raise come back as results too: an unopened shape file as -1,
// a field of a type that does not read as a number ("Error in reading DBF") as -11.
#pragma once

#include <cstdint>

namespace tessary::spatial_result {

constexpr std::int32_t kOk = 0;
constexpr std::int32_t kShapeFileNotOpened = -1;
constexpr std::int32_t kTableNotOpened = -2;
constexpr std::int32_t kTargetShapeNotCreated = -3;
constexpr std::int32_t kTargetTableNotCreated = -4;
constexpr std::int32_t kIdFieldMissing = -5;     // the GID field for the readers
constexpr std::int32_t kLabelFieldMissing = -6;  // the check field for getGeoIDStats
constexpr std::int32_t kSummaryFieldMissing = -7;
constexpr std::int32_t kNotAscending = -8;
constexpr std::int32_t kSubstringOfNumber = -9;  // start or length given for a numeric id
constexpr std::int32_t kLinkageNotCreated = -9;
constexpr std::int32_t kLabelNotText = -10;
// A field of a type that cannot be read as a number (logical, date): "Error in
// reading DBF".
constexpr std::int32_t kFieldUnreadable = -11;
// The polygon clipper failed (coordinates beyond its range) or memory ran out.
constexpr std::int32_t kGeometryFailed = -12;

}  // namespace tessary::spatial_result
