// The error-component exports on a survey of 1,000,000 households in 50,000 clusters of
// 20, each beside its baseline:
//
//   BM_GlsAdjustment      GLSadjustment of a 30-regressor model, with the location component
//   BM_GetRegressors      baseline: getRegressors of the same design (reading X alone)
//   BM_GlsInMemory        the GLS computation on that design in memory, published middle term
//   BM_DesignGram         baseline: one dsyrk of the same design (X'X alone)
//   BM_GlsOneCluster      the GLS computation on one cluster of 5,000 households, 30 regressors
//   BM_DenseCluster/m     baseline: the dense per-cluster computation (m x m inverse) on one
//                         cluster of m households; it grows as m^3
//   BM_LocationalEffect   locationalEffect of the 1,000,000 residuals
//   BM_GetCountOfCluster  getCountOfCluster over the 1,000,000 households' identifiers
//   BM_ResidualPass       baseline of both: one pass summing the residuals
//   BM_LocationEffectKnownTruth  100 samples of 500 clusters of 10 with sigma^2_eta = 0.05
//                         and sigma^2_eps = 0.5: the counter `covered` is how many
//                         estimates lie within three reported standard errors of 0.05
//                         (the run fails below 95)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <numeric>
#include <random>

#include "data/data_array.h"
#include "data/data_set_builder.h"
#include "numeric/blas.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "regression/cluster_effects.h"
#include "regression/gls.h"
#include "regression/regression.h"
#include "regression/regression_trace.h"
#include "tessary.h"

namespace tessary::bench {
namespace {

constexpr std::uint32_t kHouseholds = 1'000'000;
constexpr std::uint32_t kClusters = 50'000;
constexpr std::uint32_t kClusterSize = kHouseholds / kClusters;
constexpr int kRegressors = 30;  // the intercept and X1..X29

struct SurveyBenchData {
  std::string dir = temporaryDirectory() + "tessary-gls-bench-" + std::to_string(::getpid()) + "/";
  std::string daa = dir + "s.daA";
  std::string model = dir + "y.mdl";
  std::vector<double> y, weights, varEps, u;
  std::vector<std::int32_t> sizes = std::vector<std::int32_t>(kClusters, kClusterSize);
  std::vector<std::uint8_t> mask = std::vector<std::uint8_t>(kHouseholds / 8, 0);

  static void store(DataArray& data, const std::string& name, std::vector<double>& values) {
    data.addVariable(name, {.reservedByte1 = 2});
    data.setValue(name, values);
    data.setMask(name, std::vector<std::uint8_t>(data.maskBytes, 0));
  }

  SurveyBenchData() {
    std::filesystem::create_directories(dir);
    createDataArray(dir + "hh.daH", kHouseholds);
    createDataArray(dir + "cl.daH", kClusters);
    writeDataRef(dir + "cl.daR", 1000.0,
                 std::vector<DataRefEntry>(kClusters, {1, kClusterSize, false, 0}));
    writeWholeFile(daa, "hh.daH\ncl.daH\ncl.daR\n");
    DataArray households;
    households.open(dir + "hh.daH");
    households.loadHeader();
    std::mt19937_64 random(99);
    std::normal_distribution<double> normal;
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<double> column(kHouseholds), ids(kHouseholds), effects(kClusters);
    std::string varList;
    y.assign(kHouseholds, 1.0);
    for (int j = 1; j < kRegressors; ++j) {
      for (std::uint32_t i = 0; i < kHouseholds; ++i)
        y[i] += 0.1 * (column[i] = normal(random));
      store(households, "X" + std::to_string(j), column);
      varList += (j > 1 ? "," : "") + std::string("X") + std::to_string(j);
    }
    for (double& effect : effects)
      effect = std::sqrt(0.05) * normal(random);
    for (std::uint32_t i = 0; i < kHouseholds; ++i) {
      const std::uint32_t c = i / kClusterSize;
      ids[i] = (c + 1) * 1000.0 + i % kClusterSize;
      varEps.push_back(0.3 + 0.5 * uniform(random));
      weights.push_back(1.0 + 20.0 * uniform(random));
      u.push_back(effects[c] + std::sqrt(varEps.back()) * normal(random));
      y[i] += u.back();
    }
    store(households, "Y", y);
    store(households, "W", weights);
    store(households, "HHID", ids);
    households.headerTextA = makeTextField("HHID");
    households.headerTextB = makeTextField("W");
    households.saveHeader();
    writeWholeFile(dir + "p.ini", "[DataArray]\nSurvey=s.daA\n[SelectedVars]\nVarList=" + varList +
                                      "\nSPosition=" + std::string(2 * kRegressors - 3, '0') +
                                      "\n");
    setTraceStream(nullptr);
    buildModelFromCombinedDataset((dir + "p.ini").c_str(), model.c_str(), "Y", 0);
    Regression edit;
    edit.loading(model);
    for (Regressor& record : edit.regressors)
      record.flags |= kInModel;
    edit.saving(model);
  }
  ~SurveyBenchData() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  std::vector<double> design() {
    std::vector<double> x(static_cast<std::size_t>(kHouseholds) * (kRegressors + 1));
    std::vector<std::uint8_t> included = mask;
    getRegressors(daa.c_str(), model.c_str(), included.data(), weights.data(), x.data(), 0);
    return x;
  }
};

SurveyBenchData& surveyData() {
  static SurveyBenchData data;
  return data;
}

void BM_GlsAdjustment(benchmark::State& state) {
  SurveyBenchData& data = surveyData();
  std::vector<double> beta(kRegressors), se(kRegressors), root(kRegressors * kRegressors);
  for (auto _ : state) {
    std::vector<double> weights = data.weights;
    std::vector<std::uint8_t> mask = data.mask;
    if (GLSadjustment(data.daa.c_str(), data.model.c_str(), mask.data(), weights.data(),
                      kHouseholds, kRegressors, 2, kClusters, 0.05, data.y.data(),
                      data.varEps.data(), data.sizes.data(), 0, beta.data(), se.data(),
                      root.data()) != 0)
      state.SkipWithError("GLSadjustment failed");
  }
}
BENCHMARK(BM_GlsAdjustment)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_GetRegressors(benchmark::State& state) {
  SurveyBenchData& data = surveyData();
  for (auto _ : state)
    benchmark::DoNotOptimize(data.design().data());
}
BENCHMARK(BM_GetRegressors)->Unit(benchmark::kMillisecond)->Iterations(5);

GlsProblem problemOf(const SurveyBenchData& data, const std::vector<double>& x,
                     std::vector<double>& weights, std::int32_t n) {
  return {.x = x.data(),
          .ld = kHouseholds,
          .n = n,
          .k = kRegressors,
          .weights = std::span(weights.data(), static_cast<std::size_t>(n)),
          .y = std::span(data.y.data(), static_cast<std::size_t>(n)),
          .varEps = std::span(data.varEps.data(), static_cast<std::size_t>(n)),
          .clusterSizes = data.sizes,
          .sigEta2 = 0.05};
}

void BM_GlsInMemory(benchmark::State& state) {
  SurveyBenchData& data = surveyData();
  const std::vector<double> x = data.design();
  for (auto _ : state) {
    std::vector<double> weights = data.weights;
    const GlsEstimate estimate =
        glsAdjustment(problemOf(data, x, weights, kHouseholds), GlsMiddleTerm::kPublished);
    if (!estimate.withLocation) state.SkipWithError("fell over");
  }
}
BENCHMARK(BM_GlsInMemory)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DesignGram(benchmark::State& state) {
  SurveyBenchData& data = surveyData();
  const std::vector<double> x = data.design();
  std::vector<double> product((kRegressors + 1) * (kRegressors + 1));
  for (auto _ : state) {
    std::fill(product.begin(), product.end(), 0.0);
    blas::addGram(kRegressors + 1, kHouseholds, x.data(), kHouseholds, product.data(),
                  kRegressors + 1);
    benchmark::DoNotOptimize(product.data());
  }
}
BENCHMARK(BM_DesignGram)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_GlsOneCluster(benchmark::State& state) {
  SurveyBenchData& data = surveyData();
  const std::vector<double> x = data.design();
  constexpr std::int32_t kSize = 5000;
  const std::vector<std::int32_t> one{kSize};
  for (auto _ : state) {
    std::vector<double> weights(data.weights.begin(), data.weights.begin() + kSize);
    GlsProblem problem = problemOf(data, x, weights, kSize);
    problem.clusterSizes = one;
    if (!glsAdjustment(problem, GlsMiddleTerm::kPublished).withLocation)
      state.SkipWithError("fell over");
  }
}
BENCHMARK(BM_GlsOneCluster)->Unit(benchmark::kMillisecond);

// The dense computation of one cluster: V formed and inverted, B = S V^-1 S, then X'BX,
// X'By, y'By and T'BT with T = V S X through the matrix class.
void BM_DenseCluster(benchmark::State& state) {
  SurveyBenchData& data = surveyData();
  const int m = static_cast<int>(state.range(0));
  Matrix xc(m, kRegressors), yc(m, 1);
  Vector s(m);
  for (int i = 0; i < m; ++i) {
    for (int j = 0; j < kRegressors; ++j)
      xc(i, j) = j == 0 ? 1.0 : data.y[static_cast<std::size_t>(j * m + i)];
    yc(i, 0) = data.y[static_cast<std::size_t>(i)];
    s[i] = std::sqrt(data.weights[static_cast<std::size_t>(i)]);
  }
  for (auto _ : state) {
    Matrix v(m, m, 0.05);
    for (int i = 0; i < m; ++i)
      v(i, i) += data.varEps[static_cast<std::size_t>(i)];
    const Matrix kept = v;
    Matrix b = v.inverse();
    b.scaleRows(s);
    b.scaleColumns(s);
    const Matrix xt = xc.transpose(), bx = b * xc;
    Matrix t = kept;
    t.scaleColumns(s);
    t = t * xc;
    benchmark::DoNotOptimize((xt * bx).data());
    benchmark::DoNotOptimize((xt * (b * yc)).data());
    benchmark::DoNotOptimize((yc.transpose() * (b * yc)).data());
    benchmark::DoNotOptimize((t.transpose() * (b * t)).data());
  }
}
BENCHMARK(BM_DenseCluster)->Arg(250)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_LocationalEffect(benchmark::State& state) {
  SurveyBenchData& data = surveyData();
  std::vector<std::uint8_t> records(kClusters * kClusterRecordBytes, 0);
  for (std::uint32_t c = 0; c < kClusters; ++c) {
    double sum = 0, squares = 0;
    for (std::uint32_t h = 0; h < kClusterSize; ++h) {
      sum += data.u[c * kClusterSize + h];
      squares += data.u[c * kClusterSize + h] * data.u[c * kClusterSize + h];
    }
    const double fields[4] = {double(kClusterSize), sum / kClusterSize,
                              (squares - sum * sum / kClusterSize) / (kClusterSize - 1), 20.0};
    for (int f = 0; f < 4; ++f)
      std::memcpy(&records[c * kClusterRecordBytes + (f < 3 ? 8 * f : 48)], &fields[f], 8);
  }
  std::vector<double> eps(kHouseholds), eta(kClusters), weight(kClusters), stats(6);
  const std::vector<double> w(kHouseholds, 1.0);
  std::int32_t singletons = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(locationalEffect(data.u.data(), w.data(), kHouseholds, kClusters,
                                              records.data(), eps.data(), eta.data(), weight.data(),
                                              stats.data(), &singletons));
}
BENCHMARK(BM_LocationalEffect)->Unit(benchmark::kMillisecond);

void BM_GetCountOfCluster(benchmark::State& state) {
  SurveyBenchData& data = surveyData();
  std::vector<double> keys(kHouseholds);
  std::vector<std::int32_t> counts(kHouseholds);
  for (auto _ : state)
    if (getCountOfCluster(data.daa.c_str(), data.mask.data(), keys.data(), counts.data()) !=
        static_cast<std::int32_t>(kClusters))
      state.SkipWithError("getCountOfCluster failed");
}
BENCHMARK(BM_GetCountOfCluster)->Unit(benchmark::kMillisecond);

void BM_ResidualPass(benchmark::State& state) {
  SurveyBenchData& data = surveyData();
  for (auto _ : state) {
    double sum = 0;
    for (double value : data.u)
      sum += value;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ResidualPass)->Unit(benchmark::kMillisecond);

void BM_LocationEffectKnownTruth(benchmark::State& state) {
  constexpr int kSamples = 100, kGroups = 500, kSize = 10;
  std::mt19937_64 random(2718);
  std::normal_distribution<double> eta(0.0, std::sqrt(0.05)), eps(0.0, std::sqrt(0.5));
  setTraceStream(nullptr);
  int covered = 0;
  for (auto _ : state) {
    covered = 0;
    for (int sample = 0; sample < kSamples; ++sample) {
      std::vector<double> u;
      for (int c = 0; c < kGroups; ++c) {
        const double effect = eta(random);
        for (int h = 0; h < kSize; ++h)
          u.push_back(effect + eps(random));
      }
      const double mean = std::accumulate(u.begin(), u.end(), 0.0) / double(u.size());
      for (double& r : u)
        r -= mean;  // residuals of a fit with an intercept
      const std::vector<ClusterSummary> clusters =
          summariseClusters(u, {}, std::vector<std::int32_t>(kGroups, kSize));
      std::vector<double> split(u.size());
      const LocationEffect effect =
          locationEffect(u, std::vector<double>(u.size(), 1.0), clusters, split);
      covered += std::fabs(effect.sigEta2 - 0.05) <= 3 * std::sqrt(effect.variance) ? 1 : 0;
    }
  }
  state.counters["covered"] = covered;
  if (covered < 95) state.SkipWithError("fewer than 95 of 100 estimates within three SEs");
}
BENCHMARK(BM_LocationEffectKnownTruth)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessary::bench
