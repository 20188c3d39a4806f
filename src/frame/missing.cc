#include "frame/missing.h"

#include <cstdint>
#include <cstring>

namespace tessary {

double MISSING = 0.0;

namespace {

// Runs when the library (or a program linking the internal library) is loaded, before
// any static object that might read MISSING.
[[gnu::constructor(101)]] void setMissingValue() {
  const std::uint64_t bits = 0x7FF0000000000000ULL;
  std::memcpy(&MISSING, &bits, sizeof MISSING);
}

}  // namespace
}  // namespace tessary
