// The accumulator of one category or cell of a tabulation, and the texts of its
// statistics.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tessary {

// Statistics a tabulation can show, in the order they appear; the value is the
// option byte that enables each.
enum class TabStatistic : int {
  kCount = 1,
  kMean,
  kStdDev,
  kMin,
  kMax,
  kRowPercent,
  kColPercent,
  kTotalPercent
};
constexpr int kTabStatisticCount = 8;

// The caption of a statistic: "Count", "Mean", "Std Dev.", "Min", "Max", "Row %",
// "Col %", "Total %".
const char* statisticName(TabStatistic statistic);

enum class TabPolicy;

// Holds the sums of both policies (tab/tab_options.h); the statistics pick theirs.
struct CellAccumulator {
  std::uint32_t count = 0;
  std::int32_t weightedCount = 0;  // truncated to an integer at every addition
  double weightSum = 0;
  double sumX = 0;
  double sumXX = 0;
  double sumXW = 0;
  double sumXXW = 0;
  double sumXXWW = 0;
  double min = 1.7976931348623157e308;
  double max = -1.7976931348623157e308;

  // Adds nothing unless x and w are finite and strictly between -1e200 and 1e200.
  void add(double x, double w);
  // Adds the records another accumulator holds, as if they followed this one's. The
  // integer weighted count adds the other's truncated count: the same as adding its
  // records one by one while the running count and the weights are not negative.
  void merge(const CellAccumulator& other);
  // The weighted count the statistics use under a policy.
  double weight(TabPolicy policy) const;
};

// Totals a percentage statistic divides by.
struct PercentBases {
  double row = 0;
  double column = 0;
  double table = 0;
};

// The value of a statistic (MISSING where it is undefined).
double statisticValue(const CellAccumulator& cell, TabStatistic statistic,
                      const PercentBases& bases, TabPolicy policy);

// Its text: Count as a decimal integer (kExact: the sum of weights as frequencyText
// writes it), Mean to Max with 4 decimals and width 0 (kExact: width 14), percentages with 2
// decimals and width 7; a value that is not finite is "-".
std::string statisticText(const CellAccumulator& cell, TabStatistic statistic,
                          const PercentBases& bases, TabPolicy policy);

// A percentage as statistics are written: 2 decimals, width 7.
std::string percentText(double percent);

// The numbers of a frequency table (counts of the values of a categorical variable):
// kExport writes them in the general format (six significant digits); kExact writes
// weighted counts with ten and percentages as percentText does.
std::string frequencyText(double count, TabPolicy policy);
std::string frequencyPercentText(double percent, TabPolicy policy);

}  // namespace tessary
