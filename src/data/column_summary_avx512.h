// The writer's column scan eight values at a time, for processors with AVX-512 (the
// file is compiled for it); encodings.cc calls it only there.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessary::avx512 {

// What a scan gathers: the extremes of the finite values, their count and the count of
// finite values that are not integral.
struct ScanTotals {
  double lowest;
  double highest;
  std::uint64_t finite;
  std::uint64_t fractional;
};

// Scans values[0..n) with n a multiple of 8 into `totals`, which it extends.
void scanColumn(const double* values, std::size_t n, ScanTotals& totals);

}  // namespace tessary::avx512
