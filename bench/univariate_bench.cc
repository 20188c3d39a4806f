// Univariate of 10 million values in 100 groups, against sorting the same groups with
// std::sort.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "tessary.h"

namespace {

constexpr int kValues = 10'000'000;
constexpr int kGroups = 100;

const std::vector<double>& sourceValues() {
  static const std::vector<double> values = [] {
    std::mt19937_64 random(17);
    std::lognormal_distribution<double> income(8, 1);
    std::vector<double> v(kValues);
    for (double& x : v)
      x = income(random);
    return v;
  }();
  return values;
}

void BM_Univariate_10M_100Groups(benchmark::State& state) {
  std::vector<double> values(kValues), weights(kValues, 1.5), out(13 * kGroups);
  std::vector<int32_t> sizes(kGroups, kValues / kGroups);
  for (auto _ : state) {
    state.PauseTiming();
    values = sourceValues();
    state.ResumeTiming();
    Univariate(values.data(), weights.data(), kValues, sizes.data(), kGroups, out.data());
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_Univariate_10M_100Groups)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StdSort_10M_100Groups(benchmark::State& state) {
  std::vector<double> values(kValues);
  for (auto _ : state) {
    state.PauseTiming();
    values = sourceValues();
    state.ResumeTiming();
    for (int g = 0; g < kGroups; ++g)
      std::sort(values.begin() + g * (kValues / kGroups),
                values.begin() + (g + 1) * (kValues / kGroups));
    benchmark::DoNotOptimize(values.data());
  }
}
BENCHMARK(BM_StdSort_10M_100Groups)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
