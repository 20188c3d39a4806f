// Micro-units: the integer coordinates handed to the host, map units times 1,000,000
// truncated toward zero (saturating at the 32-bit range instead of overflowing).
#pragma once

#include <cstdint>

#include "numeric/saturating_cast.h"

namespace tessary {

constexpr double kMicroUnitsPerMapUnit = 1000000.0;

inline std::int32_t microUnits(double mapCoordinate) {
  return saturatingInt32(mapCoordinate * kMicroUnitsPerMapUnit);
}

}  // namespace tessary
