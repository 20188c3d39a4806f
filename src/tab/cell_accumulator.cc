#include "tab/cell_accumulator.h"

#include <algorithm>
#include <cmath>

#include "frame/missing.h"
#include "frame/number_format.h"
#include "numeric/saturating_cast.h"
#include "tab/tab_options.h"

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
  weightSum += w;
  sumX += x;
  sumXX += x * x;
  sumXW += x * w;
  sumXXW += x * x * w;
  sumXXWW += x * x * w * w;
  // The weighted count stays a 32-bit integer; sums beyond its range saturate.
  weightedCount = saturatingInt32(weightedCount + w);
  if (x < min) min = x;
  if (x > max) max = x;
}

void CellAccumulator::merge(const CellAccumulator& other) {
  count += other.count;
  weightedCount = saturatingInt32(static_cast<double>(weightedCount) + other.weightedCount);
  weightSum += other.weightSum;
  sumX += other.sumX;
  sumXX += other.sumXX;
  sumXW += other.sumXW;
  sumXXW += other.sumXXW;
  sumXXWW += other.sumXXWW;
  min = std::min(min, other.min);
  max = std::max(max, other.max);
}

double CellAccumulator::weight(TabPolicy policy) const {
  return policy == TabPolicy::kExact ? weightSum : weightedCount;
}

double statisticValue(const CellAccumulator& cell, TabStatistic statistic,
                      const PercentBases& bases, TabPolicy policy) {
  const double W = cell.weight(policy);
  // The export squares the weighted values; frequency weights weigh the squares once.
  const double squares = policy == TabPolicy::kExact ? cell.sumXXW : cell.sumXXWW;
  switch (statistic) {
    case TabStatistic::kCount:
      return W;
    case TabStatistic::kMean:
      return W <= 0 ? MISSING : cell.sumXW / W;
    case TabStatistic::kStdDev:
      return W <= 0 ? MISSING : std::sqrt((squares - cell.sumXW * cell.sumXW / W) / (W - 1));
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
                          const PercentBases& bases, TabPolicy policy) {
  if (statistic == TabStatistic::kCount)
    return policy == TabPolicy::kExport ? std::to_string(cell.weightedCount)
                                        : frequencyText(cell.weightSum, policy);
  const double value = statisticValue(cell, statistic, bases, policy);
  if (!std::isfinite(value)) return "-";
  const bool percent = statistic >= TabStatistic::kRowPercent;
  // Width 0 leaves the export four significant digits; a width of 14 keeps four decimals
  // up to 1e8.
  return percent ? percentText(value) : formatFixed(value, 4, policy == TabPolicy::kExact ? 14 : 0);
}

std::string percentText(double percent) {
  return formatFixed(percent, 2, 7);
}

std::string frequencyText(double count, TabPolicy policy) {
  return formatGeneral(count, policy == TabPolicy::kExact ? 10 : 6);
}

std::string frequencyPercentText(double percent, TabPolicy policy) {
  return policy == TabPolicy::kExact ? percentText(percent) : formatGeneral(percent);
}

}  // namespace tessary
