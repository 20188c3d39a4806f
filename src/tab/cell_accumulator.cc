#include "tab/cell_accumulator.h"

#include <cmath>

#include "frame/missing.h"
#include "frame/number_format.h"
#include "numeric/saturating_cast.h"

namespace tessary {
namespace {

constexpr double kLargest = 1e200;

bool usable(double v) {
  return std::isfinite(v) && v > -kLargest && v < kLargest;
}

}  // namespace

const char* statisticName(TabStatistic statistic) {
  switch (statistic) {
    case TabStatistic::kCount:
      return "Count";
    case TabStatistic::kMean:
      return "Mean";
    case TabStatistic::kStdDev:
      return "Std Dev.";
    case TabStatistic::kMin:
      return "Min";
    case TabStatistic::kMax:
      return "Max";
    case TabStatistic::kRowPercent:
      return "Row %";
    case TabStatistic::kColPercent:
      return "Col %";
    case TabStatistic::kTotalPercent:
      return "Total %";
  }
  return "";
}

void CellAccumulator::add(double x, double w) {
  if (!usable(x) || !usable(w)) return;
  count += 1;
  sumX += x;
  sumXX += x * x;
  sumXW += x * w;
  sumXXWW += x * x * w * w;
  // The weighted count stays a 32-bit integer; sums beyond its range saturate.
  weightedCount = saturatingInt32(weightedCount + w);
  if (x < min) min = x;
  if (x > max) max = x;
}

double statisticValue(const CellAccumulator& cell, TabStatistic statistic,
                      const PercentBases& bases) {
  const double W = cell.weightedCount;
  switch (statistic) {
    case TabStatistic::kCount:
      return W;
    case TabStatistic::kMean:
      return W <= 0 ? MISSING : cell.sumXW / W;
    case TabStatistic::kStdDev:
      return W <= 0 ? MISSING : std::sqrt((cell.sumXXWW - cell.sumXW * cell.sumXW / W) / (W - 1));
    case TabStatistic::kMin:
      return cell.count == 0 ? MISSING : cell.min;
    case TabStatistic::kMax:
      return cell.count == 0 ? MISSING : cell.max;
    case TabStatistic::kRowPercent:
      return W * 100 / bases.row;
    case TabStatistic::kColPercent:
      return W * 100 / bases.column;
    case TabStatistic::kTotalPercent:
      return W * 100 / bases.table;
  }
  return MISSING;
}

std::string statisticText(const CellAccumulator& cell, TabStatistic statistic,
                          const PercentBases& bases) {
  if (statistic == TabStatistic::kCount) return std::to_string(cell.weightedCount);
  const double value = statisticValue(cell, statistic, bases);
  if (!std::isfinite(value)) return "-";
  const bool percent = statistic >= TabStatistic::kRowPercent;
  return percent ? formatFixed(value, 2, 7) : formatFixed(value, 4, 0);
}

}  // namespace tessary
