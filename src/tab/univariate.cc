#include "tab/univariate.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "frame/boundary.h"
#include "frame/missing.h"
#include "platform/column_memory.h"
#include "platform/parallel.h"
#include "tessary.h"

namespace tessary {
namespace {

constexpr std::size_t kGroupsPerBlock = 64;

struct WeightedValue {
  double value;
  double weight;
};

// Percentile slots and their multiples of the 5 % step.
constexpr struct {
  UnivariateSlot slot;
  double multiple;
} kPercentiles[] = {{kUnivariateMedian, 10}, {kUnivariateP5, 1},   {kUnivariateP10, 2},
                    {kUnivariateP25, 5},     {kUnivariateP75, 15}, {kUnivariateP90, 18},
                    {kUnivariateP95, 19}};

void summarise(double* x, double* w, std::int32_t m, ColumnBuffer<WeightedValue>& work,
               double* block) {
  double count = 0, totalWeight = 0, sum = 0, sumOfSquares = 0;
  for (std::int32_t i = 0; i < m; ++i) {
    const double weight = w != nullptr ? w[i] : 1.0;
    if (!std::isfinite(x[i])) {
      x[i] = MISSING;
    } else if (std::isfinite(weight)) {
      count += 1;
      totalWeight += weight;
      sum += x[i] * weight;
      sumOfSquares += x[i] * x[i] * weight;
    }
  }

  // Sort ascending with each weight beside its value; MISSING (infinity) goes last.
  if (w != nullptr) {
    work.resize(static_cast<std::size_t>(m));
    for (std::int32_t i = 0; i < m; ++i)
      work[i] = {x[i], w[i]};
    std::sort(work.begin(), work.end(),
              [](const WeightedValue& a, const WeightedValue& b) { return a.value < b.value; });
    for (std::int32_t i = 0; i < m; ++i) {
      x[i] = work[i].value;
      w[i] = work[i].weight;
    }
  } else {
    std::sort(x, x + m);
  }

  const double mean = sum / totalWeight;
  block[kUnivariateCount] = count;
  block[kUnivariateMean] = mean;
  block[kUnivariateVariance] = (sumOfSquares / totalWeight - mean * mean) * m / (m - 1.0);
  block[kUnivariateWeight] = totalWeight;
  const bool valid = count > 0;
  block[kUnivariateMin] = valid ? x[0] : MISSING;
  block[kUnivariateMax] = valid ? x[static_cast<std::int32_t>(count) - 1] : MISSING;
  // The step is rounded to single precision; its multiples are formed in double
  // precision (14 values: step 0.69999998..., median at trunc(6.9999998) = 6).
  const double step = static_cast<float>(count * 0.05);
  for (const auto& p : kPercentiles)
    block[p.slot] = valid ? x[static_cast<std::int32_t>(p.multiple * step)] : MISSING;
}

}  // namespace

void univariateStatistics(double* values, double* weights, std::int32_t n,
                          const std::int32_t* groupSizes, std::int32_t nGroups, double* out) {
  // Weights count only when the first one is positive; otherwise all are 1.
  double* used = (weights != nullptr && weights[0] > 0) ? weights : nullptr;
  const bool uniform = nGroups == 0;
  const std::int32_t groups = uniform ? (groupSizes[0] > 0 ? n / groupSizes[0] : 0) : nGroups;
  // Where each group starts and how many values it has; a layout longer than the data
  // stops at its end.
  std::vector<std::int64_t> starts;
  std::vector<std::int32_t> sizes;
  std::int64_t start = 0;
  for (std::int32_t g = 0; g < groups; ++g) {
    const std::int32_t size = uniform ? groupSizes[0] : std::max(groupSizes[g], 0);
    const auto m = static_cast<std::int32_t>(std::min<std::int64_t>(size, n - start));
    if (m < 0) break;
    starts.push_back(start);
    sizes.push_back(m);
    start += m;
  }
  // Groups are disjoint, so blocks of groups run in parallel with the same results.
  forEachBlock(starts.size(), kGroupsPerBlock,
               [&](std::size_t, std::size_t begin, std::size_t end) {
                 ColumnBuffer<WeightedValue> work;
                 for (std::size_t g = begin; g < end; ++g)
                   summarise(values + starts[g], used != nullptr ? used + starts[g] : nullptr,
                             sizes[g], work, out + g * kUnivariateSlots);
               });
}

}  // namespace tessary

extern "C" TESSARY_EXPORT int32_t Univariate(double* values, double* weights, int32_t n,
                                             int32_t* groupSizes, int32_t nGroups, double* out) {
  return tessary::guardSilently<int32_t>(-1, [&] {
    tessary::univariateStatistics(values, weights, n, groupSizes, nGroups, out);
    return 0;
  });
}
