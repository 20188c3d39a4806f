// The evaluator's whole-column passes against a hand-written fused loop computing the
// same values from columns already in memory.
#include <benchmark/benchmark.h>

#include <cmath>

#include "expr/expression_evaluation.h"
#include "expr_bench_data.h"

namespace {

using namespace tessary;
using tessary::bench::ExpressionBenchData;
using tessary::bench::kRecords;

void BM_EvaluateLogIif(benchmark::State& state) {
  ExpressionBenchData& data = ExpressionBenchData::instance();
  ColumnBuffer<double> result(kRecords);
  ExpressionParser expression;
  expression.parse("LOG(X)*2+IIF(Y>3,1,0)");
  for (auto _ : state) {
    evaluate(expression, data.households, std::span<double>(result.data(), kRecords), nullptr, 1,
             kRecords, nullptr);
    benchmark::DoNotOptimize(result.data());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_EvaluateLogIif)->Unit(benchmark::kMillisecond);

void BM_FusedLogIif(benchmark::State& state) {
  ExpressionBenchData& data = ExpressionBenchData::instance();
  ColumnBuffer<double> result(kRecords);
  const double* x = data.x.data();
  const double* y = data.y.data();
  for (auto _ : state) {
    double* out = result.data();
    for (std::uint32_t i = 0; i < kRecords; ++i) {
      const double condition = std::isfinite(y[i]) && y[i] > 3 ? 1.0 : 0.0;
      out[i] = std::log(x[i]) * 2 + (condition != 0.0 ? 1.0 : 0.0);
    }
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_FusedLogIif)->Unit(benchmark::kMillisecond);

}  // namespace
