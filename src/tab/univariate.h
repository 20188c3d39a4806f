// Weighted summary statistics of consecutive groups of a value vector.
#pragma once

#include <cstdint>

namespace tessary {

// Output block of one group, 13 doubles in this order.
enum UnivariateSlot {
  kUnivariateCount,     // values whose value and weight are both finite
  kUnivariateMean,      // weighted mean
  kUnivariateVariance,  // (S2/W - mean^2) * m / (m - 1), m the group size
  kUnivariateMin,
  kUnivariateMedian,
  kUnivariateMax,
  kUnivariateWeight,  // total weight
  kUnivariateP5,
  kUnivariateP10,
  kUnivariateP25,
  kUnivariateP75,
  kUnivariateP90,
  kUnivariateP95,
  kUnivariateSlots
};

// Sorts each group of `values` in place (weights move with their values when they are
// used: weights[0] > 0) and writes one block per group. Values that are not finite
// become MISSING and sort to the group's end. A group without a valid value gets
// MISSING for its order statistics.
void univariateStatistics(double* values, double* weights, std::int32_t n,
                          const std::int32_t* groupSizes, std::int32_t nGroups, double* out);

}  // namespace tessary
