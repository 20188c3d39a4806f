// Conversions of doubles to integers that cannot overflow: values beyond the target's
// range saturate and NaN becomes 0 (a plain cast would be undefined).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace tessary {

inline std::int32_t saturatingInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  if (value <= std::numeric_limits<std::int32_t>::min())
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

inline std::int64_t saturatingInt64(double value) {
  if (std::isnan(value)) return 0;
  // 2^63 is the first double beyond the range; the largest value below it converts.
  if (value >= 9223372036854775808.0) return std::numeric_limits<std::int64_t>::max();
  if (value <= -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

}  // namespace tessary
