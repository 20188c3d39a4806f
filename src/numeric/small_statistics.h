// Small statistics on plain arrays: a co-sorting quicksort, the grid chooser of the
// cross tabulation, and the two-sample chi-square and Kolmogorov-Smirnov tests on
// binned data. None of them shows anything.
#pragma once

#include <cstdint>

namespace tessary {

// Ascending, not stable; every exchange of keys is repeated on companion. n < 2 does
// nothing.
void coSort(double* keys, double* companion, std::int32_t n);

// Chooses a round step so that about nGroups intervals cover [xmin, xmax]; writes a
// trace line to standard output. lo and hi receive the covering grid ends; step keeps
// its value when no candidate fits. Returns the number of intervals.
std::int32_t findBestGrid(double xmin, double xmax, std::int32_t nGroups, double& lo, double& hi,
                          double& step);

// Chi-square test of two binned samples of different totals. Returns -1.0 (writing
// neither out value) when the first sample's total weight is not positive; otherwise
// writes chsq and df and returns igamc(df/2, chsq/2), which may throw.
double chiSquareTwoSamples(const double* x1, const double* w1, std::int32_t n1, const double* x2,
                           const double* w2, std::int32_t n2, std::int32_t constraints,
                           double& chsq, double& df);

// Kolmogorov-Smirnov test of two weighted bin sets given by their descriptors (element
// 10 the width, 11 the first value, 13 the bin count; at most 508 and 510 bins) and
// their weights. Writes the statistic to d and returns the p-value.
double kolmogorovSmirnovTwoSamples(const double* desc1, const double* w1, const double* desc2,
                                   const double* w2, double& d);

// The Kolmogorov distribution's upper tail Q(lambda), 1.0 when its series does not
// settle within 100 terms.
double kolmogorovProbability(double lambda);

}  // namespace tessary
