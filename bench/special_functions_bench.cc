// Nanoseconds per call of the distribution functions. Each iteration is one call, with
// arguments cycling through a fixed spread over the usual domain.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "numeric/special_functions.h"

namespace {

constexpr std::size_t kSpread = 256;  // a power of two: the cycle is a mask

std::vector<double> uniformValues(double lo, double hi, unsigned seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> uniform(lo, hi);
  std::vector<double> values(kSpread);
  for (double& value : values)
    value = uniform(random);
  return values;
}

void BM_ndtri(benchmark::State& state) {
  const std::vector<double> y = uniformValues(1e-6, 1.0 - 1e-6, 1);
  std::size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(tessary::ndtri(y[i++ & (kSpread - 1)]));
}
BENCHMARK(BM_ndtri);

void BM_igamc(benchmark::State& state) {
  const std::vector<double> a = uniformValues(0.5, 50.0, 2);
  const std::vector<double> x = uniformValues(0.1, 60.0, 3);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & (kSpread - 1);
    benchmark::DoNotOptimize(tessary::igamc(a[k], x[k]));
  }
}
BENCHMARK(BM_igamc);

void BM_incbet(benchmark::State& state) {
  const std::vector<double> a = uniformValues(0.5, 50.0, 4);
  const std::vector<double> b = uniformValues(0.5, 50.0, 5);
  const std::vector<double> x = uniformValues(0.001, 0.999, 6);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & (kSpread - 1);
    benchmark::DoNotOptimize(tessary::incbet(a[k], b[k], x[k]));
  }
}
BENCHMARK(BM_incbet);

void BM_incbi(benchmark::State& state) {
  const std::vector<double> a = uniformValues(0.5, 50.0, 7);
  const std::vector<double> b = uniformValues(0.5, 50.0, 8);
  const std::vector<double> y = uniformValues(0.001, 0.999, 9);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & (kSpread - 1);
    benchmark::DoNotOptimize(tessary::incbi(a[k], b[k], y[k]));
  }
}
BENCHMARK(BM_incbi);

void BM_stdtr(benchmark::State& state) {
  const std::vector<double> t = uniformValues(-8.0, 8.0, 10);
  std::vector<std::int32_t> k(kSpread);
  std::mt19937 random(11);
  for (std::int32_t& freedom : k)
    freedom = 1 + static_cast<std::int32_t>(random() % 200);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t j = i++ & (kSpread - 1);
    benchmark::DoNotOptimize(tessary::stdtr(k[j], t[j]));
  }
}
BENCHMARK(BM_stdtr);

}  // namespace
