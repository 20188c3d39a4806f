// The small statistical exports and the grid chooser.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

#include "frame/missing.h"
#include "numeric/small_statistics.h"
#include "tessary.h"

namespace tessary {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ChiSquareTwoSamples, StatisticAndDegreesOfFreedom) {
  // Key 2 has zero weight in both samples: one degree of freedom less, nothing added.
  const double x1[] = {1.0, 2.0, 3.0};
  const double w1[] = {5.0, 0.0, 7.0};
  const double x2[] = {3.0, 2.0, 1.0};
  const double w2[] = {9.0, 0.0, 4.0};
  double chsq = 0.0;
  double df = 0.0;
  const double p = Chi2Two(x1, w1, 3, x2, w2, 3, 0, &chsq, &df);
  const double s = std::sqrt(13.0 / 12.0);
  const double t1 = s * 5.0 - 4.0 / s;
  const double t3 = s * 7.0 - 9.0 / s;
  const double expected = t1 * t1 / 9.0 + t3 * t3 / 16.0;
  EXPECT_NEAR(chsq, expected, 1e-15 * expected);
  EXPECT_EQ(df, 2.0);
  EXPECT_NEAR(p, std::exp(-0.5 * expected), 1e-15);  // chi-square with 2 df

  // Keys truncate toward zero; a repeated key keeps the first weight of sample 1 (all
  // of whose weights still count in its total) and the last weight of sample 2.
  const double y1[] = {1.5, 1.9, -0.7};
  const double v1[] = {3.0, 100.0, 2.0};
  const double y2[] = {1.2, 1.7, 0.4};
  const double v2[] = {50.0, 6.0, 1.0};
  EXPECT_GT(Chi2Two(y1, v1, 3, y2, v2, 3, 1, &chsq, &df), 0.0);
  const double r = std::sqrt(57.0 / 105.0);
  const double tKey0 = r * 2.0 - 1.0 / r;
  const double tKey1 = r * 3.0 - 6.0 / r;
  const double expectedRepeated = tKey0 * tKey0 / 3.0 + tKey1 * tKey1 / 9.0;
  EXPECT_NEAR(chsq, expectedRepeated, 1e-14 * expectedRepeated);
  EXPECT_EQ(df, 1.0);

  // Keys only in the second sample count as bins.
  const double z2[] = {1.0, 2.0, 3.0, 8.0};
  const double u2[] = {4.0, 0.0, 9.0, 2.0};
  Chi2Two(x1, w1, 3, z2, u2, 4, 1, &chsq, &df);
  EXPECT_EQ(df, 2.0);  // 4 keys, one constraint, one empty key
  // Identical samples agree completely.
  EXPECT_EQ(Chi2Two(x1, w1, 3, x1, w1, 3, 1, &chsq, &df), 1.0);
  EXPECT_EQ(std::make_pair(chsq, df), std::make_pair(0.0, 1.0));
}

TEST(ChiSquareTwoSamples, Failures) {
  const double x[] = {1.0, 2.0}, w[] = {0.0, 0.0}, v[] = {1.0, 2.0};
  double chsq = 123.0, df = 456.0;
  EXPECT_EQ(Chi2Two(x, w, 2, x, v, 2, 0, &chsq, &df), -1.0);
  EXPECT_EQ(Chi2Two(x, v, 0, x, v, 2, 0, &chsq, &df), -1.0);
  EXPECT_TRUE(chsq == 123.0 && df == 456.0);
  // A statistic so large that the tail probability underflows: NaN after the trace.
  const double heavy1[] = {1000.0, 0.0}, heavy2[] = {0.0, 1000.0};
  ::testing::internal::CaptureStdout();
  const double p = Chi2Two(x, heavy1, 2, x, heavy2, 2, 0, &chsq, &df);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\nigamc");
  EXPECT_TRUE(std::isnan(p) && chsq == 2000.0 && df == 2.0);
}

// Descriptor of `count` bins of `width` starting at `first`.
std::vector<double> binDescriptor(double width, double first, double count) {
  std::vector<double> descriptor(14, 0.0);
  descriptor[10] = width;
  descriptor[11] = first;
  descriptor[13] = count;
  return descriptor;
}

// The full Kolmogorov series in long double.
double kolmogorovReference(double lambda) {
  long double sum = 0.0L;
  for (int j = 1; j <= 200; ++j)
    sum += (j % 2 == 1 ? 2.0L : -2.0L) * std::exp(-2.0L * lambda * lambda * j * j);
  return static_cast<double>(sum);
}

TEST(KolmogorovSmirnov, StatisticOfShiftedBins) {
  const std::vector<double> desc1 = binDescriptor(1.0, 0.0, 3.0);
  const std::vector<double> desc2 = binDescriptor(1.0, 0.5, 3.0);
  const double w1[] = {1.0, 1.0, 2.0};
  const double w2[] = {2.0, 1.0, 1.0};
  double d = 0.0;
  const double p = Kstwo(desc1.data(), w1, desc2.data(), w2, &d);
  EXPECT_EQ(d, 0.25);
  const double en = std::sqrt(2.0);
  EXPECT_NEAR(p, kolmogorovReference((en + 0.12 + 0.11 / en) * 0.25), 1e-7);

  // Descending values (negative width) are sorted with their weights; the caller's
  // weights stay as they were.
  const std::vector<double> descending = binDescriptor(-1.0, 2.0, 3.0);
  const double reversed[] = {2.0, 1.0, 1.0};
  double dDescending = 0.0;
  EXPECT_EQ(Kstwo(descending.data(), reversed, desc2.data(), w2, &dDescending), p);
  EXPECT_EQ(dDescending, 0.25);
  EXPECT_EQ(reversed[0], 2.0);
  EXPECT_EQ(reversed[2], 1.0);

  // Identical samples: lambda = 0, the terms never shrink, 100 of them pass and give 1.
  EXPECT_EQ(Kstwo(desc1.data(), w1, desc1.data(), w1, &d), 1.0);
  EXPECT_EQ(d, 0.0);
  // An empty sample: d = 0 and 1.0.
  const std::vector<double> empty = binDescriptor(1.0, 0.0, 0.0);
  EXPECT_EQ(Kstwo(empty.data(), w1, desc2.data(), w2, &d), 1.0);
  EXPECT_EQ(d, 0.0);
}

TEST(KolmogorovSmirnov, SeriesStopsAtItsTolerances) {
  for (double lambda : {0.3, 0.5, 0.8, 1.0, 1.36, 2.0, 3.0})
    EXPECT_NEAR(kolmogorovProbability(lambda), kolmogorovReference(lambda), 2e-8) << lambda;
  EXPECT_NEAR(kolmogorovProbability(1.0), 0.26999967167735456, 1e-8);
}

TEST(CoSort, SortsKeysAndMovesCompanions) {
  std::vector<double> keys = {3, 1, 2}, companion = {30, 10, 20};
  Quick_Sort(3, keys.data(), companion.data());
  EXPECT_EQ(keys, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(companion, (std::vector<double>{10, 20, 30}));
  // Equal keys end up in the order the exchanges leave them, not a stable order.
  std::vector<double> ties = {2, 1, 2, 1}, labels = {1, 2, 3, 4};
  sorting(ties.data(), labels.data(), 4);
  EXPECT_EQ(ties, (std::vector<double>{1, 1, 2, 2}));
  EXPECT_EQ(labels, (std::vector<double>{4, 2, 1, 3}));
  // Counts below 2 change nothing.
  std::vector<double> one = {5, 4}, oneCompanion = {50, 40};
  Quick_Sort(1, one.data(), oneCompanion.data());
  Quick_Sort(0, one.data(), oneCompanion.data());
  sorting(one.data(), oneCompanion.data(), -3);
  EXPECT_TRUE(one[0] == 5 && oneCompanion[1] == 40);
}

TEST(VectorSummaries, BitCountsRangesFinitenessAndScaling) {
  const unsigned char mask[] = {0xFF, 0x01};
  EXPECT_EQ(bitCounts(mask, 2), 9);
  EXPECT_EQ(bitCounts(mask, 0) + bitCounts(mask, -1), 0);
  // Ranges of the finite values; an empty range is MISSING, positive infinity, at both ends.
  const struct {
    std::vector<double> values;
    int count;
    double min, max;
  } ranges[] = {{{kNaN, 2, -1, kInfinity}, 2, -1, 2},
                {{}, 0, kInfinity, kInfinity},
                {{kNaN, -kInfinity}, 0, MISSING, MISSING},
                {{-7.5}, 1, -7.5, -7.5}};
  for (const auto& r : ranges) {
    double min = 0, max = 0;
    EXPECT_EQ(getRange(r.values.data(), static_cast<int>(r.values.size()), &min, &max), r.count);
    EXPECT_TRUE(min == r.min && max == r.max) << r.count;
  }

  for (double finite : {1.0, -0.0, std::numeric_limits<double>::denorm_min(), DBL_MAX})
    EXPECT_EQ(isFinite(finite), -1) << finite;
  for (double other : {kInfinity, -kInfinity, kNaN})
    EXPECT_EQ(isFinite(other), 0) << other;

  double x[] = {1.0, 2.0, 3.0}, y[] = {4.0, 4.0}, z[] = {1.0, 3.0};
  EXPECT_EQ(Standardize(x, 3), x + 3);
  EXPECT_EQ(std::vector<double>(x, x + 3), (std::vector<double>{-1.0, 0.0, 1.0}));
  EXPECT_EQ(Standardize(y, 0), y);
  EXPECT_EQ(Standardize(y, 1), y + 1);  // one value: its deviation is 0/0
  EXPECT_TRUE(!std::isfinite(y[0]) && y[1] == 4.0);
  EXPECT_EQ(Unitization(z, 2, 100.0), 4.0);
  EXPECT_TRUE(z[0] == 25.0 && z[1] == 75.0);
  EXPECT_EQ(Unitization(z, 0, 100.0), 0.0);
  EXPECT_EQ(z[0], 25.0);
}

struct Grid {
  int32_t count;
  double lo, hi, step;
  std::string trace;
};

Grid chooseGrid(double xmin, double xmax, int32_t groups, double presetStep) {
  Grid grid{0, -99.0, -99.0, presetStep, ""};
  ::testing::internal::CaptureStdout();
  grid.count = findBestGrid(xmin, xmax, groups, grid.lo, grid.hi, grid.step);
  grid.trace = ::testing::internal::GetCapturedStdout();
  return grid;
}

TEST(FindBestGrid, ChoosesRoundSteps) {
  const struct {
    double xmin, xmax;
    int32_t groups;
    double presetStep;
    Grid expected;
  } cases[] = {
      {0, 50, 120, 9, {100, 0, 50, 0.5, "findBestGrid:   xmin=0  xmax=50 nXgroups=120\n"}},
      // No candidate: the step stays as it was and the ends follow it.
      {0, 50, 25, 7, {8, 0, 56, 7, "findBestGrid:   xmin=0  xmax=50 nXgroups=25\n"}},
      // A range below 1: one interval.
      {0, 0.5, 10, 9, {1, 0, 0, 1, "findBestGrid:   xmin=0  xmax=0.5 nXgroups=10\n"}},
      // Ends that are not on the grid move outward to it.
      {-12.3,
       487.6,
       150,
       9,
       {101, -15, 490, 5, "findBestGrid:   xmin=-12.3  xmax=487.6 nXgroups=150\n"}},
      // Closest count without exceeding the groups: 2.5 (40 intervals) beats 5 (20).
      {0, 100, 45, 9, {40, 0, 100, 2.5, "findBestGrid:   xmin=0  xmax=100 nXgroups=45\n"}}};
  for (const auto& c : cases) {
    const Grid grid = chooseGrid(c.xmin, c.xmax, c.groups, c.presetStep);
    EXPECT_EQ(grid.trace, c.expected.trace);
    EXPECT_TRUE(grid.count == c.expected.count && grid.lo == c.expected.lo &&
                grid.hi == c.expected.hi && grid.step == c.expected.step)
        << c.expected.trace << grid.count << " " << grid.lo << " " << grid.hi << " " << grid.step;
  }
}

}  // namespace
}  // namespace tessary
