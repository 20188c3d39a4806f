// The numeric summaries `tessary eval` prints: count, missing, mean, standard deviation,
// sum, minimum and maximum of the values, weighted when weights are given (frequency
// weights: the mean and sum weigh each value, the standard deviation is
// sqrt((sum w*x^2 - (sum w*x)^2 / W) / (W - 1)) with W the sum of the weights), for all
// records or per group of a grouping variable.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>

namespace tessary::cli {

struct ValueSummary {
  std::uint64_t count = 0;    // values with a finite value and weight
  std::uint64_t missing = 0;  // the others
  double weight = 0, sum = 0, sumOfSquares = 0;
  double min = 0, max = 0;

  void add(double x, double w);
  double mean() const { return sum / weight; }
  double standardDeviation() const;
};

// One summary of `values` (weights null: every record weighs 1).
ValueSummary summarize(std::span<const double> values, const double* weights);

// One line: "count C  missing M  mean ..  sd ..  sum ..  min ..  max ..", numbers with
// `digits` significant digits ("." when undefined), "  weight W" after the sum when
// weighted.
std::string summaryLine(const ValueSummary& summary, int digits, bool weighted);

// The summaries per group: a heading line, then one line per group value (by its label
// when it has one, groups in increasing order, records whose group value is missing
// last as ".").
std::string groupSummaryTable(std::span<const double> values, const double* weights,
                              std::span<const double> groups,
                              const std::map<int, std::string>& groupLabels, int digits,
                              bool weighted);

}  // namespace tessary::cli
