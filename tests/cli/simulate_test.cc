// Suites named Parallel* run under ThreadSanitizer (`make tsan`).
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include <nlohmann/json.hpp>

#include "data/cda.h"
#include "platform/parallel_threads.h"
#include "support/fitted_model.h"
#include "support/simulation_merge.h"
#include "support/simulation_run.h"
#include "support/synthetic_survey.h"
#include "test_support.h"

namespace tessary::cli {
namespace {

using nlohmann::json;
using testing::failureText;
using testing::readFile;
using testing::ScratchDir;
using testing::writeFile;

const char* const kWelfareVariables[] = {"SIZE",        "ROOMS",    "EDUC",
                                         "ELECTRICITY", "CL_URBAN", "CL_ELECTRICITY"};
// The generator's log welfare: 7.2 - 0.11 SIZE + 0.07 ROOMS + 0.12 (EDUC - 1)
// + 0.25 ELECTRICITY + 0.18 urban + 0.40 CL_ELECTRICITY + eta + eps.
const double kTrueBeta[] = {7.08, -0.11, 0.07, 0.12, 0.25, 0.18, 0.40};
constexpr double kLine = 900;

Regressor variable(const std::string& name) {
  Regressor r;
  r.name = r.source = r.label = name;
  return r;
}

Regressor intercept() {
  Regressor r;
  r.name = kInterceptName;
  r.label = "Intercept";
  return r;
}

FittedEquation equation(std::vector<Regressor> regressors, std::vector<double> coefficients,
                        double rootDiagonal) {
  FittedEquation e;
  e.regressors = std::move(regressors);
  e.coefficients = std::move(coefficients);
  const std::size_t k = e.coefficients.size();
  e.covarianceRoot.assign(k * k, 0.0);
  for (std::size_t i = 0; i < k; ++i)
    e.covarianceRoot[i * k + i] = rootDiagonal;
  return e;
}

// The generator's true model. Its household error sd 0.30 e^(0.06 (SIZE - 4)) is the
// alpha model's with alphaMSE 0 and A large: A p ~ A e^z for small p.
FittedModel trueModel(double rootDiagonal) {
  FittedModel m;
  m.dependent = "LNWELFARE";
  m.surveyHouseholds = 7500;
  m.surveyClusters = 500;
  std::vector<Regressor> regressors = {intercept()};
  for (const char* name : kWelfareVariables)
    regressors.push_back(variable(name));
  m.welfare = equation(regressors, std::vector<double>(std::begin(kTrueBeta), std::end(kTrueBeta)),
                       rootDiagonal);
  m.welfare.mse = 0.11;
  m.sigEta2 = kClusterEffectVariance;
  const double A = 1000;
  m.alpha =
      equation({intercept(), variable("SIZE")}, {std::log(0.09 / A) - 0.48, 0.12}, rootDiagonal);
  m.alpha->A = A;
  return m;
}

struct Census {
  ScratchDir dir;
  SyntheticReport report;

  explicit Census(std::uint32_t households) {
    SyntheticOptions o;
    o.directory = dir.path();
    o.households = households;
    o.seed = 11;
    o.censusWelfare = true;
    report = writeSyntheticSurvey(o);
  }

  std::string writeModel(const FittedModel& model, const std::string& name = "model.json") {
    writeFile(dir.file(name), fittedModelJson(model));
    return dir.file(name);
  }

  SimulateOptions options(const std::string& model, const std::string& out) const {
    SimulateOptions o;
    o.model = model;
    o.census = report.censusDaa;
    o.replications = 20;
    o.seed = 5;
    o.line = kLine;
    o.persons = "SIZE";
    o.areaDigits = {1, 2};
    o.out = dir.file(out);
    return o;
  }

  // A census variable for every household.
  std::vector<double> values(const std::string& name) const {
    CDA cda(report.censusDaa);
    cda.load();
    std::vector<double> out(report.censusHouseholds);
    cda.getValue(name, out, 1, report.censusHouseholds);
    return out;
  }
};

class ParallelSimulate : public ::testing::Test {
 protected:
  void TearDown() override { useEnvironmentThreadCount(); }
};

TEST_F(ParallelSimulate, ThreadsAndPartitionsGiveTheSameBytes) {
  Census census(12000);
  FittedModel model = trueModel(0.01);
  model.sigEta2Var = 1e-4;
  // The alpha model also reads the predicted welfare.
  model.alpha->regressors.push_back(variable(kYhatName));
  model.alpha->coefficients.push_back(0.01);
  model.alpha->covarianceRoot = {0.01, 0, 0, 0, 0.01, 0, 0, 0, 0.001};
  const std::string path = census.writeModel(model);
  const char* const files[] = {"estimates.csv", "estimates.json", "estimates-0.csv",
                               "estimates-0.json"};
  auto run = [&](int threads, const std::string& out, const std::string& partition = "") {
    setThreadCount(threads);
    SimulateOptions o = census.options(path, out);
    o.areaDigits = {1, 0};  // partitions of the 10 areas at 1 digit
    o.partition = partition;
    runSimulate(o);
    return census.dir.file(out);
  };
  const std::string single = run(1, "single");
  for (int threads : {2, 7}) {
    const std::string out = run(threads, "threads" + std::to_string(threads));
    for (const char* file : files)
      EXPECT_EQ(readFile(out + "/" + file), readFile(single + "/" + file)) << threads << file;
  }
  MergeOptions merge;
  for (int i = 1; i <= 3; ++i)
    merge.inputs.push_back(run(2, "part" + std::to_string(i), std::to_string(i) + "/3"));
  merge.out = census.dir.file("merged");
  EXPECT_EQ(runMerge(merge), "Merged 3 partitions: 107 areas in 2 levels, written to " + merge.out);
  for (const char* file : files)
    EXPECT_EQ(readFile(merge.out + "/" + file), readFile(single + "/" + file)) << file;

  // Incomplete, overlapping or foreign partitions are refused.
  const std::string p1 = merge.inputs[0], p2 = merge.inputs[1], p3 = merge.inputs[2];
  EXPECT_EQ(failureText([&] { runMerge({{p1, p3}, merge.out}); }), "partition 2/3 is missing");
  EXPECT_EQ(failureText([&] {
              runMerge({{p1, p2, p3, p1}, merge.out});
            }),
            p1 + " and " + p1 + " are both partition 1/3");
  SimulateOptions other = census.options(path, "other");
  other.seed = 6;
  other.partition = "2/3";
  runSimulate(other);
  EXPECT_EQ(failureText([&] {
              runMerge({{p1, other.out, p3}, merge.out});
            }),
            other.out + ": simulated with other settings than " + p1 +
                " (each partition must come from the same model, census and options)");
}

// Without any error or parameter spread welfare is e^(x beta): the estimates follow
// from the census by hand, with standard errors 0.
TEST(Simulate, WelfareWithoutErrorsMatchesTheCensusByHand) {
  Census census(3000);
  FittedModel model = trueModel(0.0);
  model.alpha.reset();
  model.sigEta2 = 0;
  model.welfare.mse = 0;
  Regressor secondary = variable("EDUC_3");  // a dummy: EDUC = 3
  secondary.source = "EDUC";
  secondary.code = 3;
  model.welfare.regressors.push_back(secondary);
  model.welfare.coefficients.push_back(0.2);
  model.welfare.covarianceRoot.assign(64, 0.0);
  SimulateOptions o = census.options(census.writeModel(model), "out");
  o.replications = 2;
  o.areaDigits = {1};
  EXPECT_EQ(runSimulate(o),
            "Simulated 2 replications of 3000 households in 24 clusters, 0 left out: 3 areas "
            "(1 digit dropped); written to " +
                o.out);

  std::map<std::string, std::array<double, 6>> expected;  // households, w, w y, FGT sums
  const std::vector<double> cluster = census.values("CLUSTER"), size = census.values("SIZE"),
                            educ = census.values("EDUC");
  std::vector<std::vector<double>> x;
  for (const char* name : kWelfareVariables)
    x.push_back(census.values(name));
  for (std::size_t h = 0; h < cluster.size(); ++h) {
    double lnY = kTrueBeta[0] + (educ[h] == 3 ? 0.2 : 0.0);
    for (std::size_t j = 0; j < x.size(); ++j)
      lnY += kTrueBeta[j + 1] * x[j][h];
    const double y = std::exp(lnY), g = y < kLine ? (kLine - y) / kLine : 0.0;
    auto& area = expected[std::to_string(static_cast<int>(cluster[h] / 10))];
    const double add[] = {1,           size[h],        size[h] * y, y < kLine ? size[h] : 0,
                          size[h] * g, size[h] * g * g};
    for (int k = 0; k < 6; ++k)
      area[k] += add[k];
  }
  const json areas = json::parse(readFile(o.out + "/estimates.json"))["areas"];

  ASSERT_EQ(areas.size(), expected.size());
  for (const json& area : areas) {
    const auto& e = expected.at(area["area"].get<std::string>());
    EXPECT_EQ(area["households"], e[0]);
    EXPECT_EQ(area["persons"], e[1]);
    const char* figures[] = {"mean", "fgt0", "fgt1", "fgt2"};
    for (int k = 0; k < 4; ++k) {
      EXPECT_NEAR(area[figures[k]].get<double>(), e[k + 2] / e[1], 1e-12 * e[k + 2] / e[1]);
      EXPECT_EQ(area[std::string(figures[k]) + "_se"], 0.0);
    }
  }
}

TEST(Simulate, RefusesWhatItCannotSimulateAndWritesNothing) {
  Census census(1000);
  const std::string good = census.writeModel(trueModel(0.0));
  FittedModel unknown = trueModel(0.0);
  unknown.welfare.regressors[1] = variable("NOPE");
  FittedModel yhat = trueModel(0.0);
  yhat.welfare.regressors[1] = variable(kYhatName);
  const std::string noVariable = census.writeModel(unknown, "unknown.json");
  const std::string withYhat = census.writeModel(yhat, "yhat.json");
  struct Case {
    std::function<void(SimulateOptions&)> change;
    std::string message;
  };
  const Case cases[] = {
      {[](SimulateOptions& o) { o.errors = "empirical"; },
       good + ": empirical: missing (--errors empirical draws from it)"},
      {[&](SimulateOptions& o) { o.model = noVariable; },
       census.report.censusDaa + ": Variable: NOPE not found."},
      {[&](SimulateOptions& o) { o.model = withYhat; },
       "the welfare model uses the predicted value (_yhat_), which the census can't supply"},
      {[](SimulateOptions& o) { o.partition = "4/3"; },
       "--partition takes i/n with 1 <= i <= n (4/3)"},
      {[](SimulateOptions& o) {
         o.areaDigits = {2, 2};
       },
       "--area-digits gives 2 twice"},
  };
  for (const Case& c : cases) {
    SimulateOptions o = census.options(good, "out");
    c.change(o);
    EXPECT_EQ(failureText([&] { runSimulate(o); }), c.message);
    EXPECT_FALSE(std::filesystem::exists(o.out));
  }
}

}  // namespace
}  // namespace tessary::cli
