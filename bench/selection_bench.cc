// Stepwise selection from the SSCP of 100,000 weighted observations of 200 candidates,
// 66 of which carry an effect.
//
//   BM_StepwiseRegression   StepwiseRegression: every trial borders the step's one
//                           factorisation (counters: trial fits, regressors chosen)
//   BM_TrialsByInversion    the baseline: the same trials, step by step, each by a
//                           fresh inversion of its cross-product matrix
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "numeric/blas.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "regression/regression.h"
#include "regression/regression_trace.h"
#include "tessary.h"

namespace tessary::bench {
namespace {

constexpr int kCandidates = 200, kRecords = kCandidates + 1, kRows = 100'000, kBlock = 5'000;

struct SelectionBenchData {
  std::vector<double> sscp = std::vector<double>(static_cast<std::size_t>(packedSize(kRecords)));
  std::string model =
      temporaryDirectory() + "tessary-selection-bench-" + std::to_string(::getpid()) + ".mdl";
  std::string image;

  SelectionBenchData() {
    std::mt19937_64 random(11);
    std::normal_distribution<double> normal;
    std::uniform_real_distribution<double> uniform(0.5, 3.0);
    const int p = kRecords + 1;  // the intercept, the candidates, Y
    std::vector<double> block(static_cast<std::size_t>(kBlock) * p), full(p * p, 0.0);
    double totalWeight = 0.0;
    for (int from = 0; from < kRows; from += kBlock) {
      for (int r = 0; r < kBlock; ++r) {
        const double root = std::sqrt(uniform(random));
        totalWeight += root * root;
        double y = normal(random), previous = 0.0;
        block[r] = root;
        for (int c = 1; c <= kCandidates; ++c) {
          // Every seventh candidate leans on the one before; every third has an effect.
          const double x = normal(random) + (c % 7 == 0 ? 0.5 * previous : 0.0);
          block[c * kBlock + r] = root * x;
          if (c % 3 == 0) y += 0.02 * (1 + c % 5) * x;
          previous = x;
        }
        block[kRecords * kBlock + r] = root * y;
      }
      blas::addGram(p, kBlock, block.data(), kBlock, full.data(), p);
    }
    for (int i = 0; i < p; ++i)
      for (int j = i; j < p; ++j)
        sscp[packedRowOffset(i, kRecords) + j] = full[j * p + i];
    Regression written;
    written.nObs = kRows;
    written.totalWeight = totalWeight;
    written.LHS = "Y";
    written.regressors.push_back({"_intercept_", "", 0, "Intercept", 3});
    for (int i = 1; i <= kCandidates; ++i)
      written.regressors.push_back({"X" + std::to_string(i), "", 0, "", 0});
    setTraceStream(nullptr);
    written.saving(model);
    readWholeFile(model, image);
  }
  ~SelectionBenchData() { removeFile(model); }
};

SelectionBenchData& selectionData() {
  static SelectionBenchData data;
  return data;
}

void BM_StepwiseRegression(benchmark::State& state) {
  SelectionBenchData& data = selectionData();
  Regression model;
  for (auto _ : state) {
    state.PauseTiming();
    writeWholeFile(data.model, data.image);
    state.ResumeTiming();
    if (model.stepwise(data.model, data.sscp.data(), "", false) != 0)
      state.SkipWithError("StepwiseRegression failed");
  }
  state.counters["trial_fits"] = model.estimationCount;
  state.counters["chosen"] = model.nModel;
}
BENCHMARK(BM_StepwiseRegression)->Unit(benchmark::kMillisecond);

// Forward steps over the candidates of the stepwise run, each trial by estimate (a
// fresh k x k inversion) instead of a bordered factorisation; as many steps as the
// stepwise run made.
void BM_TrialsByInversion(benchmark::State& state) {
  SelectionBenchData& data = selectionData();
  writeWholeFile(data.model, data.image);
  Regression reference;
  reference.stepwise(data.model, data.sscp.data(), "", false);
  const int steps = reference.nModel - 1;
  std::int64_t trials = 0;
  for (auto _ : state) {
    state.PauseTiming();
    writeWholeFile(data.model, data.image);
    Regression model;
    model.prepare(data.model, data.sscp.data(), "");
    state.ResumeTiming();
    for (int m = 1; m <= steps; ++m) {
      int best = 0;
      double bestF = 0.0;
      for (int j = 1; j < kRecords; ++j) {
        if (model.regressors[static_cast<std::size_t>(j)].flags != 0) continue;
        model.selected[m] = j;
        if (model.estimate(m + 1) && model.lastF > bestF) best = j, bestF = model.lastF;
      }
      if (best == 0) break;
      model.selected[m] = best;
      model.regressors[static_cast<std::size_t>(best)].flags = kInModel;
    }
    trials = model.estimationCount;
  }
  state.counters["trial_fits"] = static_cast<double>(trials);
}
BENCHMARK(BM_TrialsByInversion)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessary::bench
