// Categorisation of an integer-coded column: the codes that occur, in ascending order,
// with labels, record counts, weight totals and ordinals. The data array store and the
// expression evaluator both use it.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace tessary {

using LabelMap = std::map<int, std::string>;

struct Category {
  int code = 0;
  std::string label;
  std::uint64_t count = 0;
  double weightTotal = 0.0;
  int ordinal = 0;
};

// Codes may span at most this many values.
inline constexpr double kMaxLevel = 1000000.0;

// Results below zero.
inline constexpr int kCategorizeBeyondMaxLevel = -1;
inline constexpr int kCategorizeDecimalFound = -2;

// Categorises `values` (missing values are skipped). With `weights` (same length),
// only records whose value and weight are both finite count, adding their weight.
// With `renumber`, every finite value becomes its category's ordinal + baseCode - 1.
// Returns the number of categories, or one of the negative results above.
int categorizeColumn(std::span<double> values, const LabelMap& labels, const double* weights,
                     bool renumber, int baseCode, std::vector<Category>& categories);

// The text that reports a negative result.
std::string categorizeFailureText(int result);

}  // namespace tessary
