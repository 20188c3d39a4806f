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

}  // namespace tessary
