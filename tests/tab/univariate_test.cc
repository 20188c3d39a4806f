#include "tab/univariate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "frame/missing.h"
#include "tessary.h"

namespace tessary {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(Univariate, TwentyEqualWeightValues) {
  std::vector<double> x(20), w(20, 1.0), out(13, -1);
  for (int i = 0; i < 20; ++i)
    x[i] = 20 - i;  // descending: the sort has work to do
  std::int32_t size = 20;
  EXPECT_EQ(Univariate(x.data(), w.data(), 20, &size, 1, out.data()), 0);
  // Count, mean, sample variance of 1..20, extremes, median, weight and percentiles.
  const std::pair<int, double> expected[] = {
      {kUnivariateCount, 20},  {kUnivariateMean, 10.5}, {kUnivariateVariance, 35},
      {kUnivariateMin, 1},     {kUnivariateMedian, 11}, {kUnivariateMax, 20},
      {kUnivariateWeight, 20}, {kUnivariateP5, 2},      {kUnivariateP10, 3},
      {kUnivariateP25, 6},     {kUnivariateP75, 16},    {kUnivariateP90, 19},
      {kUnivariateP95, 20}};
  for (const auto& [slot, value] : expected)
    EXPECT_DOUBLE_EQ(out[slot], value) << slot;
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(x[i], i + 1);
}

TEST(Univariate, FirstWeightDecidesWhetherWeightsCount) {
  std::vector<double> x = {1, 2, 3, 4}, w = {0, 5, 5, 5}, out(13);
  std::int32_t size = 4;
  Univariate(x.data(), w.data(), 4, &size, 1, out.data());
  EXPECT_TRUE(out[kUnivariateWeight] == 4 && out[kUnivariateMean] == 2.5);
  EXPECT_EQ(w, (std::vector<double>{0, 5, 5, 5}));

  // Weighted: weights move with their values through the sort.
  std::vector<double> y = {3, 1, 2}, v = {1, 2, 3}, out2(13);
  size = 3;
  Univariate(y.data(), v.data(), 3, &size, 1, out2.data());
  EXPECT_EQ(y, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(v, (std::vector<double>{2, 3, 1}));
  EXPECT_DOUBLE_EQ(out2[kUnivariateMean], (3 * 1 + 1 * 2 + 2 * 3) / 6.0);
  EXPECT_EQ(out2[kUnivariateWeight], 6);
}

TEST(Univariate, MissingValuesAndTheGroupSizeInTheVariance) {
  std::vector<double> x = {4, kNaN, 2, std::numeric_limits<double>::infinity()};
  std::vector<double> w(4, 1.0), out(13);
  std::int32_t size = 4;
  Univariate(x.data(), w.data(), 4, &size, 1, out.data());
  EXPECT_EQ(out[kUnivariateCount], 2);
  EXPECT_EQ(x, (std::vector<double>{2, 4, MISSING, MISSING}));
  // Population variance 1, times m / (m - 1) with m = 4, not 2.
  EXPECT_DOUBLE_EQ(out[kUnivariateVariance], 4.0 / 3.0);
  EXPECT_EQ(out[kUnivariateMax], 4);

  // A value whose weight is not finite is not counted.
  std::vector<double> y = {1, 2, 3}, v = {1, kNaN, 1}, out2(13);
  size = 3;
  Univariate(y.data(), v.data(), 3, &size, 1, out2.data());
  EXPECT_TRUE(out2[kUnivariateCount] == 2 && out2[kUnivariateMean] == 2);
}

TEST(Univariate, GroupLayouts) {
  // nGroups 0: groups of groupSizes[0]; the remainder stays untouched.
  std::vector<double> x = {3, 2, 1, 6, 5, 4, 9, 8, 7, -1}, w(10, 1.0), out(13 * 3);
  std::int32_t size = 3;
  Univariate(x.data(), w.data(), 10, &size, 0, out.data());
  EXPECT_EQ(x, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, -1}));
  EXPECT_DOUBLE_EQ(out[13 * 0 + kUnivariateMean], 2);
  EXPECT_DOUBLE_EQ(out[13 * 2 + kUnivariateMean], 8);

  // Explicit sizes, including an empty group and one without valid values.
  std::vector<double> y = {5, 1, kNaN, kNaN}, v(4, 1.0), out2(13 * 3, -7);
  std::int32_t sizes[] = {2, 0, 2};
  Univariate(y.data(), v.data(), 4, sizes, 3, out2.data());
  EXPECT_EQ(out2[kUnivariateMin], 1);
  EXPECT_EQ(out2[13 + kUnivariateCount], 0);
  EXPECT_EQ(out2[26 + kUnivariateCount], 0);
  for (int slot :
       {kUnivariateMin, kUnivariateMedian, kUnivariateMax, kUnivariateP5, kUnivariateP95})
    EXPECT_EQ(out2[26 + slot], MISSING);
}

TEST(Univariate, AgreesWithATwoPassReferenceOnRandomData) {
  std::mt19937_64 random(5);
  std::lognormal_distribution<double> income(8, 1);
  std::uniform_real_distribution<double> weight(0.5, 3);
  const int n = 997;
  std::vector<double> x(n), w(n);
  for (int i = 0; i < n; ++i)
    x[i] = income(random), w[i] = weight(random);
  long double W = 0, mean = 0, spread = 0;
  for (int i = 0; i < n; ++i)
    W += w[i], mean += w[i] * x[i];
  mean /= W;
  for (int i = 0; i < n; ++i)
    spread += w[i] * (x[i] - mean) * (x[i] - mean);
  const double variance = static_cast<double>(spread / W * n / (n - 1));
  std::vector<double> sorted = x;
  std::sort(sorted.begin(), sorted.end());

  std::vector<double> out(13);
  std::int32_t size = n;
  Univariate(x.data(), w.data(), n, &size, 1, out.data());
  EXPECT_NEAR(out[kUnivariateMean], static_cast<double>(mean), 1e-12 * mean);
  EXPECT_NEAR(out[kUnivariateVariance], variance, 1e-8 * variance);
  // step = 49.85 in single precision: the median sits at trunc(498.5) = 498.
  EXPECT_EQ(out[kUnivariateMedian], sorted[498]);
  EXPECT_EQ(out[kUnivariateP95], sorted[static_cast<int>(19 * static_cast<double>(49.85f))]);
  EXPECT_EQ(out[kUnivariateMax], sorted[n - 1]);
}

}  // namespace
}  // namespace tessary
