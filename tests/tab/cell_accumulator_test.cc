#include "tab/cell_accumulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "frame/missing.h"
#include "tab/tab_options.h"

namespace tessary {
namespace {

TEST(CellAccumulator, AddsOnlyFiniteValuesInsideTheLimits) {
  CellAccumulator cell;
  cell.add(2.0, 1.5);
  cell.add(4.0, 1.7);
  cell.add(1e200, 1.0);   // not strictly inside
  cell.add(-1e200, 1.0);  // not strictly inside
  cell.add(3.0, std::numeric_limits<double>::infinity());
  cell.add(std::nan(""), 1.0);
  EXPECT_EQ(cell.count, 2u);
  // trunc(trunc(0 + 1.5) + 1.7) = trunc(2.7) = 2, not trunc(3.2).
  EXPECT_EQ(cell.weightedCount, 2);
  EXPECT_DOUBLE_EQ(cell.sumX, 6.0);
  EXPECT_DOUBLE_EQ(cell.sumXX, 20.0);
  EXPECT_DOUBLE_EQ(cell.sumXW, 2.0 * 1.5 + 4.0 * 1.7);
  EXPECT_DOUBLE_EQ(cell.sumXXWW, 4.0 * 2.25 + 16.0 * 1.7 * 1.7);
  EXPECT_EQ(cell.min, 2.0);
  EXPECT_EQ(cell.max, 4.0);

  CellAccumulator huge;
  huge.add(1.0, 1e12);
  EXPECT_EQ(huge.weightedCount, INT32_MAX);  // saturates instead of overflowing
}

TEST(CellAccumulator, StatisticsAndTheirTexts) {
  CellAccumulator cell;
  for (double x : {1.0, 2.0, 3.0, 4.0})
    cell.add(x, 1.0);
  const PercentBases bases{8.0, 16.0, 32.0};
  EXPECT_EQ(statisticText(cell, TabStatistic::kCount, bases), "4");
  EXPECT_EQ(statisticText(cell, TabStatistic::kMean, bases), "2.5");
  // sqrt((30 - 100 / 4) / 3) = 1.29099...: width 0 always takes the general form.
  EXPECT_EQ(statisticText(cell, TabStatistic::kStdDev, bases), "1.291");
  EXPECT_EQ(statisticText(cell, TabStatistic::kMin, bases), "1");
  EXPECT_EQ(statisticText(cell, TabStatistic::kMax, bases), "4");
  EXPECT_EQ(statisticText(cell, TabStatistic::kRowPercent, bases), "50");
  EXPECT_EQ(statisticText(cell, TabStatistic::kColPercent, bases), "25");
  EXPECT_EQ(statisticText(cell, TabStatistic::kTotalPercent, bases), "12.5");

  CellAccumulator big;
  big.add(123456.0, 1.0);
  EXPECT_EQ(statisticText(big, TabStatistic::kMean, bases), "1.235e+5");
  // One record: the standard deviation divides by zero and shows "-".
  EXPECT_EQ(statisticText(big, TabStatistic::kStdDev, bases), "-");

  CellAccumulator empty;
  EXPECT_EQ(statisticValue(empty, TabStatistic::kMean, bases), MISSING);
  EXPECT_EQ(statisticValue(empty, TabStatistic::kMin, bases), MISSING);
  EXPECT_EQ(statisticText(empty, TabStatistic::kMax, bases), "-");
  EXPECT_EQ(statisticText(empty, TabStatistic::kCount, bases), "0");
}

TEST(TabOptions, ModesClearThePercentagesAndTheirMirrors) {
  const std::uint8_t all[TabOptions::kBytes] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  TabOptions summary(all);
  summary.restrictForMode(0);
  for (int i : {6, 7, 8, 12, 13, 14})
    EXPECT_EQ(summary.byte(i), 0) << i;
  for (int i : {0, 1, 5, 9, 10, 11})
    EXPECT_EQ(summary.byte(i), 1) << i;

  TabOptions oneWay(all);
  oneWay.restrictForMode(1);
  for (int i : {6, 7, 12, 13})
    EXPECT_EQ(oneWay.byte(i), 0) << i;
  EXPECT_EQ(oneWay.byte(8), 1);
  EXPECT_EQ(oneWay.byte(14), 1);

  std::uint8_t noTotal[TabOptions::kBytes] = {0, 1, 0, 0, 0, 0, 1, 1, 0, 1, 1, 1, 1, 1, 1};
  TabOptions twoWay(noTotal);
  twoWay.restrictForMode(2);
  EXPECT_EQ(twoWay.byte(14), 0);
  EXPECT_EQ(twoWay.byte(12), 1);
  EXPECT_FALSE(twoWay.pageHead());
  EXPECT_TRUE(twoWay.enabled(TabStatistic::kCount));
  EXPECT_FALSE(twoWay.enabled(TabStatistic::kMean));
}

}  // namespace
}  // namespace tessary
