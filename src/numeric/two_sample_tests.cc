// Two-sample tests on binned data: chi-square for unequal totals and
// Kolmogorov-Smirnov on weighted bins.
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <utility>

#include "numeric/saturating_cast.h"
#include "numeric/small_statistics.h"
#include "numeric/special_functions.h"

namespace tessary {

namespace {

constexpr std::int32_t kMaxBins1 = 508;
constexpr std::int32_t kMaxBins2 = 510;

// A bin value truncated toward zero to its integer key; values outside the 32-bit
// range saturate and a NaN counts as 0.
std::int32_t binKey(double value) {
  return saturatingInt32(value);
}

// Bin count of a descriptor (element 13), clamped to what the caller may describe.
std::int32_t binCount(const double* descriptor, std::int32_t limit) {
  const double count = std::trunc(descriptor[13]);
  if (!(count > 0.0)) return 0;
  return count > limit ? limit : static_cast<std::int32_t>(count);
}

void fillBinValues(const double* descriptor, std::int32_t count, double* values) {
  const double width = descriptor[10];
  double value = descriptor[11];
  for (std::int32_t i = 0; i < count; ++i) {
    values[i] = value;
    value += width;
  }
}

}  // namespace

double chiSquareTwoSamples(const double* x1, const double* w1, std::int32_t n1, const double* x2,
                           const double* w2, std::int32_t n2, std::int32_t constraints,
                           double& chsq, double& df) {
  std::map<std::int32_t, std::pair<double, double>> bins;
  double total1 = 0.0;
  for (std::int32_t i = 0; i < n1; ++i) {
    bins.emplace(binKey(x1[i]), std::make_pair(w1[i], 0.0));  // the first entry of a key stays
    total1 += w1[i];
  }
  double total2 = 0.0;
  for (std::int32_t i = 0; i < n2; ++i) {
    auto [entry, inserted] = bins.emplace(binKey(x2[i]), std::make_pair(0.0, w2[i]));
    if (!inserted) entry->second.second = w2[i];
    total2 += w2[i];
  }
  if (total1 <= 0.0) return -1.0;

  const double scale = std::sqrt(total2 / total1);
  double freedom = static_cast<double>(bins.size()) - constraints;
  double statistic = 0.0;
  for (const auto& [key, counts] : bins) {
    const auto [c1, c2] = counts;
    if (c1 == 0.0 && c2 == 0.0) {
      freedom -= 1.0;
    } else {
      const double t = scale * c1 - c2 / scale;
      statistic += t * t / (c1 + c2);
    }
  }
  chsq = statistic;
  df = freedom;
  return igamc(0.5 * freedom, 0.5 * statistic);
}

double kolmogorovProbability(double lambda) {
  const double exponent = -2.0 * lambda * lambda;
  double sign = 2.0;
  double sum = 0.0;
  double previous = 0.0;
  for (int j = 1; j <= 100; ++j) {
    const double term = sign * std::exp(exponent * j * j);
    sum += term;
    if (std::fabs(term) <= 0.001 * previous || std::fabs(term) <= 1.0e-8 * sum) return sum;
    sign = -sign;
    previous = std::fabs(term);
  }
  return 1.0;
}

double kolmogorovSmirnovTwoSamples(const double* desc1, const double* w1, const double* desc2,
                                   const double* w2, double& d) {
  // Values and a copy of the weights live on the stack; the caller's weights stay as
  // they were.
  double values1[kMaxBins1];
  double values2[kMaxBins2];
  double weights1[kMaxBins1];
  double weights2[kMaxBins2];
  const std::int32_t count1 = binCount(desc1, kMaxBins1);
  const std::int32_t count2 = binCount(desc2, kMaxBins2);
  fillBinValues(desc1, count1, values1);
  fillBinValues(desc2, count2, values2);
  std::copy(w1, w1 + count1, weights1);
  std::copy(w2, w2 + count2, weights2);
  coSort(values1, weights1, count1);
  coSort(values2, weights2, count2);

  double total1 = 0.0;
  for (std::int32_t i = 0; i < count1; ++i)
    total1 += weights1[i];
  double total2 = 0.0;
  for (std::int32_t i = 0; i < count2; ++i)
    total2 += weights2[i];

  d = 0.0;
  double cumulative1 = 0.0;
  double cumulative2 = 0.0;
  std::int32_t j1 = 0;
  std::int32_t j2 = 0;
  while (j1 < count1 && j2 < count2) {
    const double a = values1[j1];
    const double b = values2[j2];
    if (a <= b) cumulative1 += weights1[j1++] / total1;
    if (b <= a) cumulative2 += weights2[j2++] / total2;
    const double gap = std::fabs(cumulative2 - cumulative1);
    if (gap > d) d = gap;
  }

  const double en = std::sqrt(total1 * total2 / (total1 + total2));
  return kolmogorovProbability((en + 0.12 + 0.11 / en) * d);
}

}  // namespace tessary
