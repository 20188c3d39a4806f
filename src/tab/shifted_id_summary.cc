#include "tab/shifted_id_summary.h"

#include <algorithm>
#include <cmath>

#include "frame/failure.h"
#include "tab/record_selection.h"

namespace tessary {
namespace {

struct Group {
  std::int64_t key = 0;
  double n = 0, weight = 0, sum = 0, sumOfSquares = 0, min = 0, max = 0;

  void start(std::int64_t groupKey, double x, double w) {
    *this = Group{groupKey, 0, 0, 0, 0, x, x};
    add(x, w);
  }
  void add(double x, double w) {
    n += 1;
    weight += w;
    sum += w * x;
    sumOfSquares += w * x * x;
    min = std::min(min, x);
    max = std::max(max, x);
  }
  double statistic(int which) const {
    const double mean = sum / weight;
    switch (which) {
      case 1:
        return n;
      case 3:
        return std::sqrt(n * (sumOfSquares / weight - mean * mean));
      case 4:
        return min;
      case 5:
        return max;
      default:
        return mean;
    }
  }
};

// trunc(q) through a 64-bit integer; quotients beyond its range saturate.
std::int64_t truncateToKey(double q) {
  if (!(q > -9.2e18)) return INT64_MIN;
  if (!(q < 9.2e18)) return INT64_MAX;
  return static_cast<std::int64_t>(q);
}

}  // namespace

double powerOfTen(int shift) {
  static const double kExact[] = {1e-10, 1e-9, 1e-8, 1e-7, 1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0,
                                  1e1,   1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10};
  if (shift >= -10 && shift <= 10) return kExact[shift + 10];
  return std::pow(10.0, shift);
}

std::int32_t summarizeByShiftedId(const double* identifiers, const double* values,
                                  const double* weights, std::size_t count, int shift,
                                  int statistic, double* keysOut, double* valuesOut) {
  const double divisor = powerOfTen(shift);
  std::int32_t groups = 0;
  bool open = false;
  Group group;
  auto close = [&] {
    keysOut[groups] = static_cast<double>(group.key);
    valuesOut[groups] = group.statistic(statistic);
    ++groups;
  };
  for (std::size_t i = 0; i < count; ++i) {
    const double x = values[i], id = identifiers[i], w = weights[i];
    if (!std::isfinite(x) || !std::isfinite(id) || !std::isfinite(w)) continue;
    const std::int64_t key = truncateToKey(id / divisor);
    if (open && key == group.key) {
      group.add(x, w);
      continue;
    }
    if (open) close();
    group.start(key, x, w);
    open = true;
  }
  if (open) close();
  return groups;
}

std::int32_t summarizeByShiftedId(DataSet& data, const ShiftedIdRequest& request, double* keysOut,
                                  double* valuesOut) {
  RecordSelection selection(data, request.filter, request.weight);
  ColumnBuffer<double> analysis, identifiers;
  LabelMap ignored;
  selection.evaluate(request.analysis, analysis, ignored);
  selection.evaluate(request.identifier, identifiers, ignored);
  throwUnless(keysOut != nullptr && valuesOut != nullptr,
              "XTab::generate(): no output arrays for the summary.");
  return summarizeByShiftedId(identifiers.data(), analysis.data(), selection.weights().data(),
                              selection.count(), request.shift, request.statistic, keysOut,
                              valuesOut);
}

}  // namespace tessary
