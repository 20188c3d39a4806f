// The whole pipeline against the truth it estimates: a synthetic census of 500,000
// households drawn from the generator's known model (about 4,000 clusters in 200
// districts) and a survey of 500 clusters of 15 households drawn from it; tessary fit
// (stepwise), tessary simulate (100 replications) and the districts' estimated
// headcounts set against the census's true ones, for 20 seeds:
//
//   BM_KnownTruth/seed  counters: areas; coverage, the share of districts whose true
//                       headcount lies within estimate +- 1.96 s.e. (nominal 0.95; the
//                       run fails below 0.85); mean_error, the persons-weighted mean of
//                       estimate - truth over the districts (the error for the whole
//                       census), and z, that error over the standard error of the whole
//                       census's estimate (the districts' errors share the fitted model's,
//                       so the spread of their errors would understate it); mean_se, the
//                       districts' mean reported s.e.
//   BM_KnownTruthOverSeeds  the seeds together: bias, the mean of their mean errors, and
//                       bias_se from their spread (fails beyond two of them); within_2se,
//                       the share of seeds whose |z| <= 2 (nominal 0.95); mean_z2, the
//                       mean of z^2 (1 when the whole census's standard error is right)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "platform/paths.h"
#include "support/demo_pipeline.h"
#include "support/json_file.h"
#include "support/known_truth.h"
#include "support/synthetic_survey.h"

namespace tessary::bench {
namespace {

struct KnownTruth {
  cli::TruthCoverage coverage;
  double wholeSe = 0.0;
};

KnownTruth knownTruthRun(const std::string& dir, std::uint64_t seed) {
  cli::SyntheticOptions data;
  data.directory = dir;
  data.households = 500'000;
  data.seed = seed;
  data.censusWelfare = true;
  const cli::SyntheticReport synthetic = cli::writeSyntheticSurvey(data);
  const cli::FitOptions fit = cli::demoFit(dir);
  cli::runFit(fit);
  const cli::SimulateOptions simulate = cli::demoSimulation(
      fit.out + "/model.json", synthetic.censusDaa, seed, {2, 7}, dir + "simulate");
  cli::runSimulate(simulate);  // districts, and the whole census
  const auto estimates = [&](const std::string& name) {
    const std::string path = simulate.out + "/" + name;
    return cli::areaEstimatesFromJson(path, cli::readJsonFile(path));
  };
  KnownTruth out;
  out.coverage = cli::truthCoverage(synthetic.censusDaa, "GEOCODE", 2, cli::kDemoPovertyLine,
                                    estimates("estimates.json"));
  out.wholeSe = estimates("estimates-7.json").at(0).fgt0.standardError;
  return out;
}

std::vector<double> meanErrors, zs;  // of the seeds run so far

void BM_KnownTruth(benchmark::State& state) {
  const std::string dir = temporaryDirectory() + "tessary-truth-bench-" +
                          std::to_string(::getpid()) + "-" + std::to_string(state.range(0)) + "/";
  std::filesystem::create_directories(dir);
  KnownTruth run;
  for (auto _ : state)
    run = knownTruthRun(dir, static_cast<std::uint64_t>(state.range(0)));
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  const cli::TruthCoverage& coverage = run.coverage;
  meanErrors.push_back(coverage.meanError);
  zs.push_back(coverage.meanError / run.wholeSe);
  state.counters["areas"] = static_cast<double>(coverage.areas);
  state.counters["coverage"] = coverage.covered;
  state.counters["mean_error"] = coverage.meanError;
  state.counters["z"] = zs.back();
  state.counters["mean_se"] = coverage.meanSe;
  if (coverage.covered < 0.85) state.SkipWithError("coverage below 0.85");
}
BENCHMARK(BM_KnownTruth)->DenseRange(1, 20)->Iterations(1)->Unit(benchmark::kSecond);

void BM_KnownTruthOverSeeds(benchmark::State& state) {
  for (auto _ : state) {
  }
  const double n = static_cast<double>(meanErrors.size());
  double mean = 0.0, squares = 0.0;
  for (double e : meanErrors)
    mean += e / n;
  for (double e : meanErrors)
    squares += (e - mean) * (e - mean);
  const double se = std::sqrt(squares / (n - 1) / n);
  double within = 0.0, z2 = 0.0;
  for (double z : zs)
    within += std::fabs(z) <= 2 ? 1.0 / n : 0.0, z2 += z * z / n;
  state.counters["seeds"] = n;
  state.counters["within_2se"] = within;
  state.counters["mean_z2"] = z2;
  state.counters["bias"] = mean;
  state.counters["bias_se"] = se;
  if (meanErrors.size() < 2)
    state.SkipWithError("run BM_KnownTruth first, for two seeds or more");
  else if (std::fabs(mean) > 2 * se)
    state.SkipWithError("bias beyond two standard errors");
}
BENCHMARK(BM_KnownTruthOverSeeds)->Iterations(1);

}  // namespace
}  // namespace tessary::bench
