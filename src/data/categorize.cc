#include "data/categorize.h"

#include <cmath>
#include <limits>

#include "numeric/saturating_cast.h"

namespace tessary {

int categorizeColumn(std::span<double> values, const LabelMap& labels, const double* weights,
                     bool renumber, int baseCode, std::vector<Category>& categories) {
  categories.clear();
  double lowest = std::numeric_limits<double>::infinity();
  double highest = -lowest;
  for (double v : values) {
    if (!std::isfinite(v)) continue;
    if (v != std::trunc(v)) return kCategorizeDecimalFound;
    lowest = std::min(lowest, v);
    highest = std::max(highest, v);
  }
  if (lowest > highest) return 0;  // nothing but missing values
  // Codes are 32-bit integers; beyond that is beyond the levels too.
  if (lowest < 0 || highest - lowest > kMaxLevel ||
      highest > std::numeric_limits<std::int32_t>::max())
    return kCategorizeBeyondMaxLevel;

  // From here every finite value is an integer code in 0..2^31-1.
  const std::int64_t base = saturatingInt32(lowest);
  const auto span = static_cast<std::size_t>(saturatingInt32(highest) - base) + 1;
  std::vector<std::uint64_t> counts(span, 0);
  std::vector<double> weightTotals(span, 0.0);
  std::vector<bool> occurs(span, false);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double v = values[i];
    if (!std::isfinite(v)) continue;
    const auto slot = static_cast<std::size_t>(saturatingInt32(v) - base);
    occurs[slot] = true;
    if (weights == nullptr) {
      ++counts[slot];
      weightTotals[slot] += 1.0;
    } else if (std::isfinite(weights[i])) {
      ++counts[slot];
      weightTotals[slot] += weights[i];
    }
  }

  std::vector<int> ordinalOf(span, 0);
  for (std::size_t slot = 0; slot < span; ++slot) {
    if (!occurs[slot]) continue;
    Category category;
    category.code = static_cast<int>(base + static_cast<std::int64_t>(slot));
    auto label = labels.find(category.code);
    category.label = label != labels.end() ? label->second : std::to_string(category.code);
    category.count = counts[slot];
    category.weightTotal = weightTotals[slot];
    category.ordinal = static_cast<int>(categories.size()) + 1;
    ordinalOf[slot] = category.ordinal;
    categories.push_back(std::move(category));
  }

  if (renumber) {
    for (double& v : values) {
      if (!std::isfinite(v)) continue;
      const auto slot = static_cast<std::size_t>(saturatingInt32(v) - base);
      v = static_cast<double>(ordinalOf[slot]) + baseCode - 1;
    }
  }
  return static_cast<int>(categories.size());
}

std::string categorizeFailureText(int result) {
  switch (result) {
    case kCategorizeDecimalFound:
      return "Categorization failed since\na decimal found.";
    case kCategorizeBeyondMaxLevel:
      return "Categorization failed since\nthe value exceeding MAXLEVEL is found.";
    default:
      return "Categorization failed since\nunknown error occured.";
  }
}

}  // namespace tessary
