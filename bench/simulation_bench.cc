// The census simulation against the bound set by its normal draws alone.
//
//   BM_SimulateCensus/T  simulateCensus on T threads: 1,000,000 households in 50,000
//                        clusters, a welfare model of 30 regressors and the intercept
//                        (20 household, 10 cluster variables), an alpha model of 5 and
//                        the intercept, 100 replications, 500 areas
//   BM_NormalDraws/T     the baseline: the 100,000,000 household errors alone, drawn the
//                        same way in the same blocks on T threads
// Both report ns_per_household_rep: time per household and replication.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/data_array.h"
#include "data/data_set_builder.h"
#include "platform/file.h"
#include "platform/parallel.h"
#include "platform/paths.h"
#include "simulation/counter_draws.h"
#include "support/census_simulation.h"

namespace tessary::bench {
namespace {

constexpr std::uint32_t kHouseholds = 1'000'000;
constexpr std::uint32_t kClusters = 50'000;
constexpr int kHouseholdVariables = 20, kClusterVariables = 10, kAlphaVariables = 5;
constexpr int kReplications = 100;
constexpr std::size_t kBlock = 8192;

using cli::FittedEquation;
using cli::FittedModel;

FittedEquation equation(const std::vector<std::string>& names, std::mt19937_64& random,
                        double intercept, double spread, double root) {
  std::normal_distribution<double> normal(0, spread);
  FittedEquation e;
  Regressor first;
  first.name = kInterceptName;
  e.regressors.push_back(first);
  e.coefficients.push_back(intercept);
  for (const std::string& name : names) {
    Regressor r;
    r.name = r.source = name;
    e.regressors.push_back(r);
    e.coefficients.push_back(normal(random));
  }
  const std::size_t k = e.coefficients.size();
  e.covarianceRoot.assign(k * k, 0.0);
  for (std::size_t i = 0; i < k; ++i)
    e.covarianceRoot[i * k + i] = root;
  return e;
}

struct SimulationBenchData {
  std::string dir =
      temporaryDirectory() + "tessary-simulation-bench-" + std::to_string(::getpid()) + "/";
  FittedModel model;
  SimulationModel parameters;
  ReplicationParameters replications;
  std::unique_ptr<cli::CensusColumns> census;
  std::unique_ptr<cli::SimulationAreas> areas;

  void store(DataArray& data, const std::string& name, std::vector<double> values) {
    data.addVariable(name, {.reservedByte1 = 2});
    data.setValue(name, values);
    data.setMask(name, std::vector<std::uint8_t>(data.maskBytes, 0));
  }

  SimulationBenchData() {
    std::filesystem::create_directories(dir);
    createDataArray(dir + "hh.daH", kHouseholds);
    createDataArray(dir + "cl.daH", kClusters);
    writeDataRef(dir + "cl.daR", 1.0,
                 std::vector<DataRefEntry>(kClusters, {1, kHouseholds / kClusters, false, 0}));
    writeWholeFile(dir + "census.daA", "hh.daH\ncl.daH\ncl.daR\n");
    DataArray households, clusters;
    households.open(dir + "hh.daH");
    households.loadHeader();
    clusters.open(dir + "cl.daH");
    clusters.loadHeader();
    std::mt19937_64 random(2024);
    std::uniform_int_distribution<int> digit(0, 9), persons(1, 10);
    std::uniform_real_distribution<double> share(0, 1);
    std::vector<std::string> names;
    std::vector<double> values(kHouseholds);
    for (int v = 0; v <= kHouseholdVariables; ++v) {
      for (double& x : values)
        x = v == 0 ? persons(random) : digit(random);
      names.push_back(v == 0 ? "SIZE" : "H" + std::to_string(v));
      store(households, names.back(), values);
    }
    std::vector<double> ids(kClusters), shares(kClusters);
    for (std::uint32_t c = 0; c < kClusters; ++c)
      ids[c] = c + 1;
    store(clusters, "CLUSTER", ids);
    for (int v = 1; v <= kClusterVariables; ++v) {
      for (double& x : shares)
        x = share(random);
      names.push_back("C" + std::to_string(v));
      store(clusters, names.back(), shares);
    }
    clusters.headerTextA = makeTextField("CLUSTER");
    households.saveHeader();
    clusters.saveHeader();

    names.erase(names.begin());  // SIZE weighs the households
    model.welfare = equation(names, random, -0.5, 0.02, 0.002);
    model.welfare.mse = 0.3;
    model.alpha =
        equation({names.begin(), names.begin() + kAlphaVariables}, random, -6, 0.05, 0.01);
    model.alpha->A = 900;
    model.alpha->mse = 2;
    model.sigEta2 = 0.04;
    model.sigEta2Var = 1e-5;
    parameters = cli::simulationModelOf(model);
    replications = drawReplicationParameters(parameters, CounterDraws(7), kReplications);
    census = std::make_unique<cli::CensusColumns>(dir + "census.daA",
                                                  cli::simulationVariables(model, "SIZE"));
    areas = std::make_unique<cli::SimulationAreas>(*census, std::vector<int>{2}, cli::Partition{});
  }
  ~SimulationBenchData() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
};

SimulationBenchData& benchData() {
  static SimulationBenchData data;
  return data;
}

// Runs `work` once per iteration and reports its wall time per household and
// replication in nanoseconds.
template <class Work>
void timePerHouseholdReplication(benchmark::State& state, Work&& work) {
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    work();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.counters["ns_per_household_rep"] =
      seconds * 1e9 / static_cast<double>(state.iterations()) / kHouseholds / kReplications;
}

void BM_SimulateCensus(benchmark::State& state) {
  SimulationBenchData& data = benchData();
  setThreadCount(static_cast<int>(state.range(0)));
  cli::SimulationSetup setup;
  setup.census = data.census.get();
  setup.areas = data.areas.get();
  setup.model = &data.model;
  setup.parameters = &data.parameters;
  setup.replications = &data.replications;
  setup.seed = 7;
  setup.line = 1.0;
  setup.persons = "SIZE";
  timePerHouseholdReplication(state, [&] {
    const cli::AreaTotals totals = cli::simulateCensus(setup);
    if (totals.simulated != kHouseholds) state.SkipWithError("households left out");
    benchmark::DoNotOptimize(totals.sums.data());
  });
}
BENCHMARK(BM_SimulateCensus)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NormalDraws(benchmark::State& state) {
  setThreadCount(static_cast<int>(state.range(0)));
  const CounterDraws draws(7);
  timePerHouseholdReplication(state, [&] {
    forEachBlock(kHouseholds, kBlock, [&](std::size_t, std::size_t begin, std::size_t end) {
      std::vector<double> eps(end - begin);
      for (int r = 0; r < kReplications; ++r)
        draws.normals(DrawStream::kHouseholdErrors, r, begin, eps.size(), eps.data());
      benchmark::DoNotOptimize(eps.data());
    });
  });
}
BENCHMARK(BM_NormalDraws)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tessary::bench
