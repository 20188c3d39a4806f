// One replication of the welfare simulation over one block of census households:
//   ln y = x beta_r + eta + sigma_eps eps,
// sigma_eps from the alpha model at the household's prediction z = x alpha_r (or one
// variance for every household), then the weighted sums behind mean welfare and the
// FGT poverty measures, added per area.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tessary {

// The sums kept per area and replication, in this order: sum of w y, of w [y < z], of
// w g and of w g^2, with g = (z - y)/z for y < z (0 otherwise), z the poverty line and
// w the household's weight (its persons, or 1).
inline constexpr int kMeasureSums = 4;

// Consecutive rows [begin, end) of a block that belong to one area (numbered within
// the block); rows in no run take no part.
struct AreaRun {
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
  std::uint32_t area = 0;
};

struct ReplicationRows {
  std::size_t rows = 0;
  const double* xb = nullptr;   // x beta_r
  const double* z = nullptr;    // x alpha_r; null: `variance` for every row
  const double* eta = nullptr;  // the row's cluster effect
  const double* eps = nullptr;  // the row's standardised household error
  double A = 0.0;
  double alphaMSE = 0.0;
  double variance = 0.0;
};

// out[i] := ln y of row i (out holds `rows` values).
void logWelfare(const ReplicationRows& in, double* out);

// Turns logWelfare's output into welfare (in place) and adds each run's sums to
// sums[area * areaStride + m], m < kMeasureSums. The sums of a run are added in row
// order, then the run's totals to its area: the same rows give the same bits.
void addAreaSums(double* lnWelfare, std::size_t rows, const double* weight,
                 std::span<const AreaRun> runs, double line, double* sums, std::size_t areaStride);

}  // namespace tessary
