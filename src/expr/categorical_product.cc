// The product of two categorical columns: a categorical column whose levels are the
// combinations of the two.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "expr/evaluator.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "numeric/saturating_cast.h"

namespace tessary {
namespace {

[[noreturn]] void productFailure(const char* reason) {
  raiseFailure(std::string("The result of production on two categorical variables\n") + reason);
}

struct CodeRange {
  double lowest = INFINITY;
  double highest = -INFINITY;
  bool any() const { return lowest <= highest; }
};

CodeRange rangeOf(const double* values, std::size_t n) {
  CodeRange range;
  for (std::size_t i = 0; i < n; ++i) {
    const double v = values[i];
    if (!std::isfinite(v)) continue;
    if (v != std::trunc(v)) productFailure("A decimal found.");
    range.lowest = std::min(range.lowest, v);
    range.highest = std::max(range.highest, v);
  }
  return range;
}

std::string labelOf(const LabelMap& labels, std::int32_t code) {
  auto found = labels.find(code);
  return found != labels.end() ? found->second : std::to_string(code);
}

}  // namespace

LabelMap combineCategories(double* left, const LabelMap& leftLabels, const double* right,
                           const LabelMap& rightLabels, std::size_t n) {
  const CodeRange l = rangeOf(left, n);
  const CodeRange r = rangeOf(right, n);
  if (!l.any() || !r.any()) {
    std::fill_n(left, n, MISSING);
    return {};
  }
  const double largestRight =
      rightLabels.empty() ? r.highest : std::max<double>(rightLabels.rbegin()->first, r.highest);
  // Negative codes have no digit count that keeps the combinations apart.
  if (l.lowest < 0 || r.lowest < 0 || largestRight < 0) productFailure("Unknown error occured.");
  int digits = 1;
  for (double rest = std::trunc(largestRight / 10); rest >= 1; rest = std::trunc(rest / 10))
    ++digits;
  const double scale = std::pow(10.0, digits);
  const double lowest = l.lowest * scale + r.lowest;
  const double highest = l.highest * scale + r.highest;
  if (!(highest - lowest <= kMaxLevel && highest <= 2147483647.0))
    productFailure("The value exceeding MAXLEVEL is found.");

  // Every code below is checked to lie in 0..2^31-1 above.
  std::vector<bool> seen(static_cast<std::size_t>(saturatingInt32(highest - lowest)) + 1, false);
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(left[i]) || !std::isfinite(right[i])) {
      left[i] = MISSING;
      continue;
    }
    left[i] = left[i] * scale + right[i];
    seen[static_cast<std::size_t>(saturatingInt32(left[i] - lowest))] = true;
  }
  LabelMap labels;
  for (std::size_t k = 0; k < seen.size(); ++k) {
    if (!seen[k]) continue;
    const double code = lowest + static_cast<double>(k);
    const double leftCode = std::trunc(code / scale);
    const double rightCode = code - leftCode * scale;
    labels[saturatingInt32(code)] = labelOf(leftLabels, saturatingInt32(leftCode)) + " * " +
                                    labelOf(rightLabels, saturatingInt32(rightCode));
  }
  return labels;
}

}  // namespace tessary
