// The library-wide missing value: positive infinity (the bits 0x7FF0000000000000). A
// value is missing when it is not finite.
#pragma once

#include <limits>

namespace tessary {

inline constexpr double MISSING = std::numeric_limits<double>::infinity();

}  // namespace tessary
