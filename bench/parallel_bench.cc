// The block layer's ordered sum of 10 million doubles on 1 and 2 threads, against a plain
// loop over the same values: the speed-up from a second thread and the layer's own cost.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "platform/parallel.h"

namespace {

constexpr std::size_t kValues = 10'000'000;

const std::vector<double>& values() {
  static const std::vector<double> v = [] {
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> uniform(-1, 1);
    std::vector<double> out(kValues);
    for (double& x : out)
      x = uniform(random);
    return out;
  }();
  return v;
}

double sumRange(const double* data, std::size_t begin, std::size_t end) {
  double sum = 0;
  for (std::size_t i = begin; i < end; ++i)
    sum += data[i];
  return sum;
}

void BM_BlockSum_10M(benchmark::State& state) {
  const double* data = values().data();
  tessary::setThreadCount(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    double sum = tessary::reduceBlocks(
        kValues, tessary::kRecordsPerBlock, 0.0,
        [&](std::size_t begin, std::size_t end) { return sumRange(data, begin, end); },
        [](double total, double part) { return total + part; });
    benchmark::DoNotOptimize(sum);
  }
  tessary::useEnvironmentThreadCount();
}
BENCHMARK(BM_BlockSum_10M)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_PlainLoopSum_10M(benchmark::State& state) {
  const double* data = values().data();
  for (auto _ : state)
    benchmark::DoNotOptimize(sumRange(data, 0, kValues));
}
BENCHMARK(BM_PlainLoopSum_10M)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
