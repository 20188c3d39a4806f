// The small statistical exports and the grid chooser.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "frame/missing.h"
#include "numeric/small_statistics.h"
#include "tessary.h"

namespace tessary {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ChiSquareTwoSamples, IdenticalSamplesAgreeCompletely) {
  const double x[] = {1.2, 2.7, 3.1, -4.5};
  const double w[] = {10.0, 20.0, 30.0, 5.0};
  double chsq = -1.0;
  double df = -1.0;
  EXPECT_EQ(Chi2Two(x, w, 4, x, w, 4, 1, &chsq, &df), 1.0);
  EXPECT_EQ(chsq, 0.0);
  EXPECT_EQ(df, 3.0);
}

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
}

TEST(ChiSquareTwoSamples, Failures) {
  const double x[] = {1.0, 2.0};
  const double w[] = {0.0, 0.0};
  const double v[] = {1.0, 2.0};
  double chsq = 123.0;
  double df = 456.0;
  EXPECT_EQ(Chi2Two(x, w, 2, x, v, 2, 0, &chsq, &df), -1.0);
  EXPECT_EQ(Chi2Two(x, v, 0, x, v, 2, 0, &chsq, &df), -1.0);
  EXPECT_EQ(chsq, 123.0);
  EXPECT_EQ(df, 456.0);

  // A statistic so large that the tail probability underflows: NaN after the trace.
  const double heavy1[] = {1000.0, 0.0};
  const double heavy2[] = {0.0, 1000.0};
  ::testing::internal::CaptureStdout();
  const double p = Chi2Two(x, heavy1, 2, x, heavy2, 2, 0, &chsq, &df);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\nigamc");
  EXPECT_TRUE(std::isnan(p));
  EXPECT_EQ(chsq, 2000.0);
  EXPECT_EQ(df, 2.0);
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

TEST(KolmogorovSmirnov, IdenticalSamplesRunTheWholeSeries) {
  const std::vector<double> descriptor = binDescriptor(0.5, 1.0, 5.9);  // 5 bins
  const double w[] = {1.0, 4.0, 2.0, 2.0, 1.0};
  double d = -1.0;
  // lambda = 0: the terms never shrink, 100 of them pass and the result is 1.
  EXPECT_EQ(Kstwo(descriptor.data(), w, descriptor.data(), w, &d), 1.0);
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(kolmogorovProbability(0.0), 1.0);
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
  double keys[] = {3.0, 1.0, 2.0};
  double companion[] = {30.0, 10.0, 20.0};
  Quick_Sort(3, keys, companion);
  EXPECT_EQ(std::vector<double>(keys, keys + 3), (std::vector<double>{1.0, 2.0, 3.0}));
  EXPECT_EQ(std::vector<double>(companion, companion + 3), (std::vector<double>{10.0, 20.0, 30.0}));

  // Equal keys end up in the order the exchanges leave them, not a stable order.
  double ties[] = {2.0, 1.0, 2.0, 1.0};
  double labels[] = {1.0, 2.0, 3.0, 4.0};
  sorting(ties, labels, 4);
  EXPECT_EQ(std::vector<double>(ties, ties + 4), (std::vector<double>{1.0, 1.0, 2.0, 2.0}));
  EXPECT_EQ(std::vector<double>(labels, labels + 4), (std::vector<double>{4.0, 2.0, 1.0, 3.0}));

  // Counts below 2 change nothing.
  double one[] = {5.0, 4.0};
  double oneCompanion[] = {50.0, 40.0};
  Quick_Sort(1, one, oneCompanion);
  Quick_Sort(0, one, oneCompanion);
  sorting(one, oneCompanion, -3);
  EXPECT_EQ(one[0], 5.0);
  EXPECT_EQ(oneCompanion[1], 40.0);

  // Random keys with many repeats: ascending, every companion still beside its key.
  std::mt19937 random(7);
  std::vector<double> many(2000);
  std::vector<double> tags(many.size());
  for (std::size_t i = 0; i < many.size(); ++i) {
    many[i] = static_cast<double>(random() % 300) - 150.0;
    tags[i] = many[i] * 1000.0 + static_cast<double>(i % 7);
  }
  Quick_Sort(static_cast<int32_t>(many.size()), many.data(), tags.data());
  for (std::size_t i = 0; i < many.size(); ++i) {
    if (i > 0) {
      EXPECT_LE(many[i - 1], many[i]);
    }
    EXPECT_EQ(std::round(tags[i] / 1000.0 - 0.003), many[i]) << i;
  }
}

TEST(VectorSummaries, BitCounts) {
  const unsigned char mask[] = {0xFF, 0x01};
  EXPECT_EQ(bitCounts(mask, 2), 9);
  EXPECT_EQ(bitCounts(mask, 0), 0);
  EXPECT_EQ(bitCounts(mask, -1), 0);
  std::vector<unsigned char> all(256);
  int expected = 0;
  for (int i = 0; i < 256; ++i) {
    all[i] = static_cast<unsigned char>(i);
    expected += std::popcount(static_cast<unsigned>(i));
  }
  EXPECT_EQ(bitCounts(all.data(), 256), expected);
}

TEST(VectorSummaries, RangeOfFiniteValues) {
  const double x[] = {kNaN, 2.0, -1.0, kInfinity};
  double min = 0.0;
  double max = 0.0;
  EXPECT_EQ(getRange(x, 4, &min, &max), 2);
  EXPECT_EQ(min, -1.0);
  EXPECT_EQ(max, 2.0);
  EXPECT_EQ(getRange(x, 0, &min, &max), 0);
  EXPECT_EQ(min, kInfinity);
  EXPECT_EQ(max, kInfinity);
  EXPECT_EQ(min, MISSING);
  const double none[] = {kNaN, -kInfinity};
  min = max = 0.0;
  EXPECT_EQ(getRange(none, 2, &min, &max), 0);
  EXPECT_EQ(min, kInfinity);
  EXPECT_EQ(max, kInfinity);
  const double single[] = {-7.5};
  EXPECT_EQ(getRange(single, 1, &min, &max), 1);
  EXPECT_EQ(min, -7.5);
  EXPECT_EQ(max, -7.5);
}

TEST(VectorSummaries, Finiteness) {
  EXPECT_EQ(isFinite(1.0), -1);
  EXPECT_EQ(isFinite(-0.0), -1);
  EXPECT_EQ(isFinite(std::numeric_limits<double>::denorm_min()), -1);
  EXPECT_EQ(isFinite(std::numeric_limits<double>::max()), -1);
  EXPECT_EQ(isFinite(kInfinity), 0);
  EXPECT_EQ(isFinite(-kInfinity), 0);
  EXPECT_EQ(isFinite(kNaN), 0);
}

TEST(VectorSummaries, StandardizeAndUnitization) {
  double x[] = {1.0, 2.0, 3.0};
  EXPECT_EQ(Standardize(x, 3), x + 3);
  EXPECT_EQ(std::vector<double>(x, x + 3), (std::vector<double>{-1.0, 0.0, 1.0}));
  double y[] = {4.0, 4.0};
  EXPECT_EQ(Standardize(y, 0), y);
  EXPECT_EQ(y[0], 4.0);
  EXPECT_EQ(Standardize(y, 1), y + 1);
  EXPECT_FALSE(std::isfinite(y[0]));
  EXPECT_EQ(y[1], 4.0);

  double z[] = {1.0, 3.0};
  EXPECT_EQ(Unitization(z, 2, 100.0), 4.0);
  EXPECT_EQ(z[0], 25.0);
  EXPECT_EQ(z[1], 75.0);
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
  Grid grid = chooseGrid(0.0, 50.0, 120, 9.0);
  EXPECT_EQ(grid.trace, "findBestGrid:   xmin=0  xmax=50 nXgroups=120\n");
  EXPECT_EQ(grid.step, 0.5);
  EXPECT_EQ(grid.lo, 0.0);
  EXPECT_EQ(grid.hi, 50.0);
  EXPECT_EQ(grid.count, 100);

  // No candidate: the step stays as it was and the ends follow it.
  grid = chooseGrid(0.0, 50.0, 25, 7.0);
  EXPECT_EQ(grid.step, 7.0);
  EXPECT_EQ(grid.lo, 0.0);
  EXPECT_EQ(grid.hi, 56.0);
  EXPECT_EQ(grid.count, 8);

  // A range below 1: one interval.
  grid = chooseGrid(0.0, 0.5, 10, 9.0);
  EXPECT_EQ(grid.trace, "findBestGrid:   xmin=0  xmax=0.5 nXgroups=10\n");
  EXPECT_EQ(grid.count, 1);
  EXPECT_EQ(grid.lo, 0.0);
  EXPECT_EQ(grid.hi, 0.0);
  EXPECT_EQ(grid.step, 1.0);

  // Ends that are not on the grid move outward to it.
  grid = chooseGrid(-12.3, 487.6, 150, 9.0);
  EXPECT_EQ(grid.trace, "findBestGrid:   xmin=-12.3  xmax=487.6 nXgroups=150\n");
  EXPECT_EQ(grid.step, 5.0);
  EXPECT_EQ(grid.lo, -15.0);
  EXPECT_EQ(grid.hi, 490.0);
  EXPECT_EQ(grid.count, 101);

  // Closest count without exceeding the groups: 2.5 (40 intervals) beats 5 (20).
  grid = chooseGrid(0.0, 100.0, 45, 9.0);
  EXPECT_EQ(grid.step, 2.5);
  EXPECT_EQ(grid.count, 40);
}

}  // namespace
}  // namespace tessary
