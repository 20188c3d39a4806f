// Dense matrix exports at n = 10, 50, 200.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "tessary.h"

namespace {

// A diagonally dominant n x n matrix, so every solve succeeds.
std::vector<double> wellConditioned(int n, unsigned seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  std::vector<double> a(static_cast<std::size_t>(n) * n);
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c)
      a[r * n + c] = uniform(random) + (r == c ? n : 0.0);
  return a;
}

void BM_linearEq(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> source = wellConditioned(n, 1);
  std::vector<double> a(source.size()), b(n, 1.0), x(n);
  for (auto _ : state) {
    a = source;
    benchmark::DoNotOptimize(linearEq(a.data(), n, b.data(), x.data()));
  }
}
BENCHMARK(BM_linearEq)->Arg(10)->Arg(50)->Arg(200);

void BM_minverse(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> source = wellConditioned(n, 2);
  std::vector<double> a(source.size()), inverse(source.size());
  for (auto _ : state) {
    a = source;
    benchmark::DoNotOptimize(minverse(a.data(), n, inverse.data()));
  }
}
BENCHMARK(BM_minverse)->Arg(10)->Arg(50)->Arg(200);

void BM_svdcmp(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<double> source = wellConditioned(n, 3);
  std::vector<double> a(source.size()), w(n), v(source.size());
  for (auto _ : state) {
    a = source;
    benchmark::DoNotOptimize(svdcmp(a.data(), n, n, w.data(), v.data()));
  }
}
BENCHMARK(BM_svdcmp)->Arg(10)->Arg(50)->Arg(200);

}  // namespace
