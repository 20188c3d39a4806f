#include "tab/cell_accumulator.h"

#include <gtest/gtest.h>

#include <vector>

#include "tab/cross_table.h"
#include "tab/tab_options.h"

namespace tessary {
namespace {

CellAccumulator cellOf(const std::vector<double>& x, const std::vector<double>& w) {
  CellAccumulator cell;
  for (std::size_t i = 0; i < x.size(); ++i)
    cell.add(x[i], w[i]);
  return cell;
}

// The export's integer weighted count truncates and saturates at 2^31; the exact one does
// neither. (The exact figures for ordinary weights are seen through the tool's tables.)
TEST(CellAccumulator, TheExportsCountTruncatesAndSaturates) {
  const struct {
    std::vector<double> x, w;
    TabStatistic statistic;
    double exported, exact;
  } cases[] = {
      // Fractional weights: the export's count is trunc(trunc(0.6) + 1.7) = 1.
      {{10, 20}, {0.6, 1.7}, TabStatistic::kMean, 40, 40 / 2.3},
      {{10, 20}, {0.6, 1.7}, TabStatistic::kCount, 1, 2.3},
      {{1, 3}, {3e9, 3e9}, TabStatistic::kCount, 2147483647, 6e9},
      {{1, 3}, {3e9, 3e9}, TabStatistic::kMean, 12e9 / 2147483647, 2},
  };
  for (const auto& c : cases) {
    const CellAccumulator cell = cellOf(c.x, c.w);
    EXPECT_DOUBLE_EQ(statisticValue(cell, c.statistic, {}, TabPolicy::kExport), c.exported)
        << statisticName(c.statistic);
    EXPECT_DOUBLE_EQ(statisticValue(cell, c.statistic, {}, TabPolicy::kExact), c.exact)
        << statisticName(c.statistic);
  }
}

TEST(CellAccumulator, ExactRowPercentagesAddUpToAHundred) {
  CrossTable table;
  table.rows.resize(1);
  table.columns.resize(3);
  table.allocate();
  const double weights[] = {0.5, 1.25, 2.75};
  for (std::size_t c = 0; c < 3; ++c)
    table.add(0, c, 1.0, weights[c]);
  double exported = 0, exact = 0;
  for (std::size_t c = 0; c < 3; ++c) {
    exported += statisticValue(table.cell(0, c), TabStatistic::kRowPercent, table.bases(0, c),
                               TabPolicy::kExport);
    exact += statisticValue(table.cell(0, c), TabStatistic::kRowPercent, table.bases(0, c),
                            TabPolicy::kExact);
  }
  EXPECT_DOUBLE_EQ(exported, 300.0 / 4.5);  // counts 0, 1 and 2 of a weight of 4.5
  EXPECT_DOUBLE_EQ(exact, 100.0);
}

}  // namespace
}  // namespace tessary
