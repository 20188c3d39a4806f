// Cluster aggregates over 10 million records against a single pass over the column:
// CMEAN over 500,000 clusters of a combined data array and CMEANON over 1,000 keys.
#include <benchmark/benchmark.h>

#include <cmath>

#include "expr/expression_evaluation.h"
#include "expr_bench_data.h"

namespace {

using namespace tessary;
using tessary::bench::ExpressionBenchData;
using tessary::bench::kRecords;

void BM_SinglePassOverX(benchmark::State& state) {
  ExpressionBenchData& data = ExpressionBenchData::instance();
  for (auto _ : state) {
    double sum = 0.0;
    for (double v : data.x)
      if (std::isfinite(v)) sum += v;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_SinglePassOverX)->Unit(benchmark::kMillisecond);

void BM_ReadX(benchmark::State& state) {
  ExpressionBenchData& data = ExpressionBenchData::instance();
  ColumnBuffer<double> result(kRecords);
  ExpressionParser expression;
  expression.parse("X");
  for (auto _ : state)
    evaluate(expression, data.combined, std::span<double>(result.data(), kRecords), nullptr, 1,
             kRecords, nullptr);
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ReadX)->Unit(benchmark::kMillisecond);

void BM_ClusterMean(benchmark::State& state) {
  ExpressionBenchData& data = ExpressionBenchData::instance();
  ColumnBuffer<double> result(kRecords);
  ExpressionParser expression;
  expression.parse("CMEAN(X)");
  for (auto _ : state)
    evaluate(expression, data.combined, std::span<double>(result.data(), kRecords), nullptr, 1,
             kRecords, nullptr);
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ClusterMean)->Unit(benchmark::kMillisecond);

void BM_MeanOnKeys(benchmark::State& state) {
  ExpressionBenchData& data = ExpressionBenchData::instance();
  ColumnBuffer<double> result(kRecords);
  ExpressionParser expression;
  expression.parse("CMEANON(X,B,0)");
  for (auto _ : state)
    evaluate(expression, data.households, std::span<double>(result.data(), kRecords), nullptr, 1,
             kRecords, nullptr);
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_MeanOnKeys)->Unit(benchmark::kMillisecond);

}  // namespace
