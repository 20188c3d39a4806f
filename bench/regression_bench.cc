// The regression's data stage against a dense BLAS product of the same values, and the
// estimation stage on a wide model.
//
//   BM_MakeSscp      makeSSCP: 1,000,000 households in 10,000 clusters, 60 candidates
//                    (26 household and 2 cluster doubles, 12 small integers, 4
//                    categoricals of 5 codes as 20 dummies), weights and a condition,
//                    on 1 and 2 threads (the argument)
//   BM_DenseSyrk     the baseline: dsyrk of the same weighted 1,000,000 x 62 design,
//                    already in memory, OpenBLAS on 1 and 2 threads
//   BM_OlsRegression OLSRegression of a model with 200 candidates from its SSCP
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/data_array.h"
#include "data/data_set_builder.h"
#include "frame/trace.h"
#include "numeric/blas.h"
#include "platform/file.h"
#include "platform/parallel_threads.h"
#include "platform/paths.h"
#include "regression/regression.h"
#include "tessary.h"

namespace tessary::bench {
namespace {

constexpr std::uint32_t kHouseholds = 1'000'000;
constexpr std::uint32_t kClusters = 10'000;
constexpr int kColumns = 62;  // intercept, 60 candidates, the dependent variable

struct SscpBenchData {
  std::string dir = temporaryDirectory() + "tessary-sscp-bench-" + std::to_string(::getpid()) + "/";
  std::mt19937_64 random{2024};
  std::vector<std::uint8_t> mask = std::vector<std::uint8_t>(kHouseholds / 8, 0);
  std::vector<double> weights;
  std::string model = dir + "y.mdl";

  void store(DataArray& data, const std::string& name, std::vector<double> values, char kind) {
    data.addVariable(name, {.kind = kind, .reservedByte1 = 2});
    data.setValue(name, values);
    data.setMask(name, std::vector<std::uint8_t>(data.maskBytes, 0));
  }
  template <class Draw>
  std::vector<double> column(std::uint32_t count, Draw draw) {
    std::vector<double> values(count);
    for (double& v : values)
      v = draw(random);
    return values;
  }

  SscpBenchData() {
    std::filesystem::create_directories(dir);
    createDataArray(dir + "hh.daH", kHouseholds);
    createDataArray(dir + "cl.daH", kClusters);
    writeDataRef(dir + "cl.daR", 1.0,
                 std::vector<DataRefEntry>(kClusters, {1, kHouseholds / kClusters, false, 0}));
    writeWholeFile(dir + "s.daA", "hh.daH\ncl.daH\ncl.daR\n");
    DataArray households, clusters;
    households.open(dir + "hh.daH");
    households.loadHeader();
    clusters.open(dir + "cl.daH");
    clusters.loadHeader();
    std::normal_distribution<double> normal;
    std::uniform_int_distribution<int> small(0, 20), code(1, 5);
    std::string varList, positions;
    auto select = [&](const std::string& name, int level) {
      varList += (varList.empty() ? "" : ",") + name;
      positions += (positions.empty() ? "" : ",") + std::to_string(level);
    };
    for (int i = 1; i <= 26; ++i) {
      store(households, "X" + std::to_string(i), column(kHouseholds, normal), 'N');
      select("X" + std::to_string(i), 0);
    }
    for (int i = 1; i <= 12; ++i) {
      store(households, "S" + std::to_string(i),
            column(kHouseholds, [&](auto& r) { return double(small(r)); }), 'N');
      select("S" + std::to_string(i), 0);
    }
    for (int i = 1; i <= 4; ++i) {
      store(households, "K" + std::to_string(i),
            column(kHouseholds, [&](auto& r) { return double(code(r)); }), 'C');
      select("K" + std::to_string(i), 0);
    }
    for (int i = 1; i <= 2; ++i) {
      store(clusters, "C" + std::to_string(i), column(kClusters, normal), 'N');
      select("C" + std::to_string(i), 1);
    }
    std::uniform_real_distribution<double> uniform(1.0, 30.0);
    weights = column(kHouseholds, uniform);
    store(households, "Y", column(kHouseholds, normal), 'N');
    store(households, "W", weights, 'N');
    households.headerTextB = makeTextField("W");
    households.saveHeader();
    clusters.saveHeader();
    writeWholeFile(dir + "p.ini", "[DataArray]\nSurvey=s.daA\n[SelectedVars]\nVarList=" + varList +
                                      "\nSPosition=" + positions + "\n");
    setTraceStream(nullptr);
    buildModelFromCombinedDataset((dir + "p.ini").c_str(), model.c_str(), "Y", 0);
    Regression edit;
    edit.loading(model);
    edit.condition = "X1 < 100";
    edit.saving(model);
  }
  ~SscpBenchData() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
};

SscpBenchData& sscpData() {
  static SscpBenchData data;
  return data;
}

void BM_MakeSscp(benchmark::State& state) {
  SscpBenchData& data = sscpData();
  setThreadCount(static_cast<int>(state.range(0)));
  std::vector<double> sscp(static_cast<std::size_t>(packedSize(kColumns - 1)));
  for (auto _ : state) {
    std::vector<std::uint8_t> mask = data.mask;
    const int included = makeSSCP((data.dir + "s.daA").c_str(), data.model.c_str(), mask.data(),
                                  data.weights.data(), sscp.data());
    if (included != static_cast<int>(kHouseholds)) state.SkipWithError("makeSSCP failed");
    benchmark::DoNotOptimize(sscp.data());
  }
}
BENCHMARK(BM_MakeSscp)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseRealTime();

void BM_DenseSyrk(benchmark::State& state) {
  SscpBenchData& data = sscpData();
  // The same design, read whole through getRegressors, rows scaled by the square root
  // of their weights.
  std::vector<double> design(static_cast<std::size_t>(kHouseholds) * kColumns);
  std::vector<std::uint8_t> mask = data.mask;
  getRegressors((data.dir + "s.daA").c_str(), data.model.c_str(), mask.data(), data.weights.data(),
                design.data(), 3);
  for (int c = 0; c < kColumns; ++c)
    for (std::size_t r = 0; r < kHouseholds; ++r)
      design[c * std::size_t{kHouseholds} + r] *= std::sqrt(data.weights[r]);
  std::vector<double> product(kColumns * kColumns);
  setThreadCount(static_cast<int>(state.range(0)));
  ThreadedBlas lend;
  for (auto _ : state) {
    std::fill(product.begin(), product.end(), 0.0);
    blas::addGram(kColumns, static_cast<int>(kHouseholds), design.data(), kHouseholds,
                  product.data(), kColumns);
    benchmark::DoNotOptimize(product.data());
  }
}
BENCHMARK(BM_DenseSyrk)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

void BM_OlsRegression(benchmark::State& state) {
  constexpr int kCandidates = 200, kRows = 4000;
  const std::string dir = temporaryDirectory();
  const std::string model = dir + "tessary-ols-bench-" + std::to_string(::getpid()) + ".mdl";
  // The SSCP of a random design: intercept, 199 normal columns, the dependent variable.
  std::mt19937_64 random(7);
  std::normal_distribution<double> normal;
  std::vector<double> design(static_cast<std::size_t>(kRows) * (kCandidates + 1), 1.0);
  for (std::size_t i = kRows; i < design.size(); ++i)
    design[i] = normal(random);
  std::vector<double> full((kCandidates + 1) * (kCandidates + 1), 0.0);
  blas::addGram(kCandidates + 1, kRows, design.data(), kRows, full.data(), kCandidates + 1);
  std::vector<double> sscp(static_cast<std::size_t>(packedSize(kCandidates)));
  for (int i = 0; i <= kCandidates; ++i)
    for (int j = i; j <= kCandidates; ++j)
      sscp[packedRowOffset(i, kCandidates) + j] = full[j * (kCandidates + 1) + i];
  Regression written;
  written.nObs = kRows;
  written.totalWeight = kRows;
  written.LHS = "Y";
  for (int i = 0; i < kCandidates; ++i)
    written.regressors.push_back({"R" + std::to_string(i), "R", 0, "", 1});
  written.numOfRgrs = kCandidates;
  setTraceStream(nullptr);
  const std::string image = [&] {
    written.saving(model);
    std::string content;
    readWholeFile(model, content);
    return content;
  }();
  for (auto _ : state) {
    state.PauseTiming();
    writeWholeFile(model, image);
    state.ResumeTiming();
    if (OLSRegression(model.c_str(), sscp.data(), "") != kCandidates)
      state.SkipWithError("OLSRegression failed");
  }
  removeFile(model);
}
BENCHMARK(BM_OlsRegression)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessary::bench
