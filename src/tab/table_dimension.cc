#include "tab/table_dimension.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "data/encodings.h"
#include "frame/failure.h"
#include "frame/number_format.h"
#include "frame/trace.h"
#include "numeric/small_statistics.h"
#include "platform/parallel.h"

namespace tessary {
namespace {

constexpr double kMaxIntegerCategories = 1000000;

}  // namespace

void TableDimension::form(double* values, std::size_t count,
                          const std::map<int, std::string>& labels, int gridLimit) {
  headings_.clear();
  labelPosition_.clear();
  const ColumnSummary summary = summarizeColumn(values, count);
  lowest_ = summary.finiteCount > 0 ? summary.minValue : 0;
  highest_ = summary.finiteCount > 0 ? summary.maxValue : 0;
  if (!labels.empty()) {
    kind_ = Kind::kLabels;
    for (const auto& [code, label] : labels) {
      labelPosition_[code] = headings_.size();
      headings_.push_back({CategoryHeading::Kind::kLabel, label});
    }
    return;
  }

  if (summary.finiteCount == 0) return;  // no category: the caller reports the empty dimension
  const double min = summary.minValue, max = summary.maxValue;

  if (summary.allIntegral) {
    trace() << "No decimal in the data\n";
    const double n = std::trunc(max - min + 1);
    throwUnless(n <= kMaxIntegerCategories, "Too many integer category. Tabulation suspended.");
    kind_ = Kind::kIntegers;
    base_ = min;
    headings_.reserve(static_cast<std::size_t>(n));
    for (double k = 0; k < n; ++k)
      headings_.push_back({CategoryHeading::Kind::kInteger, "", min + k});
    return;
  }

  trace() << "Some data with decimal\n";
  double start = 0, end = 0;
  double width = (max - min) / gridLimit;  // kept when no round step qualifies
  const int intervals = findBestGrid(min, max, gridLimit, start, end, width);
  trace() << "eeList.MinValue, eeList.MaxValue, maxSplits, grid_Min, grid_Max, delta:" << min << ' '
          << max << ' ' << gridLimit << ' ' << start << ' ' << end << ' ' << width << '\n';
  kind_ = Kind::kGrid;
  base_ = 0;
  for (int k = 0; k <= intervals; ++k)
    headings_.push_back(
        {CategoryHeading::Kind::kInterval, "", 0, start + k * width, start + (k + 1) * width});
  forEachBlock(count, kRecordsPerBlock, [&](std::size_t, std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i)
      if (std::isfinite(values[i])) values[i] = (values[i] - start) / width;
  });
}

long long TableDimension::indexOf(double value) const {
  // Truncation through a 64-bit integer; values beyond any category are out of range.
  if (!(std::fabs(value) < 9e15)) return -1;
  const auto whole = static_cast<long long>(value);
  if (kind_ == Kind::kLabels) {
    auto at =
        labelPosition_.find(static_cast<int>(std::clamp<long long>(whole, INT32_MIN, INT32_MAX)));
    return at == labelPosition_.end() || at->first != whole ? -1
                                                            : static_cast<long long>(at->second);
  }
  const double index = static_cast<double>(whole) - base_;
  if (!(std::fabs(index) < 9e15)) return -1;
  return static_cast<long long>(index);
}

std::string headingText(const CategoryHeading& heading) {
  switch (heading.kind) {
    case CategoryHeading::Kind::kLabel:
      return heading.label;
    case CategoryHeading::Kind::kInteger:
      return formatGeneral(heading.value);
    case CategoryHeading::Kind::kInterval:
      return "[" + formatGeneral(heading.lower) + "," + formatGeneral(heading.upper) + ")";
  }
  return {};
}

}  // namespace tessary
