#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "data/combine.h"
#include "support/fit_run.h"
#include "support/fitted_model.h"
#include "support/json_file.h"
#include "support/known_truth.h"
#include "support/simulation_run.h"
#include "support/synthetic_survey.h"
#include "test_support.h"

namespace tessary::cli {
namespace {

using testing::failureText;
using testing::ScratchDir;

constexpr double kLine = 900;

// A synthetic country whose census keeps the welfare drawn from the known model.
struct KnownCountry {
  ScratchDir dir;
  testing::ScopedEnv temporary{"TMPDIR", dir.path().c_str()};
  SyntheticReport data;

  KnownCountry(std::uint32_t households, std::uint32_t surveyClusters) {
    SyntheticOptions o;
    o.directory = dir.path();
    o.households = households;
    o.surveyClusters = surveyClusters;
    o.seed = 4;
    o.censusWelfare = true;
    data = writeSyntheticSurvey(o);
    testing::writeFile(dir.file("project.ini"),
                       "[DataArray]\nSurvey=survey.daA\n[SelectedVars]\nVarList=SIZE,ROOMS,EDUC,"
                       "ELECTRICITY,CL_URBAN,CL_ELECTRICITY,CL_SIZE\nSPosition=0,0,0,0,1,1,1\n");
  }
  FitOptions fit(const std::string& out) const {
    FitOptions o;
    o.project = dir.file("project.ini");
    o.lhs = "LNWELFARE";
    o.out = dir.file(out);
    return o;
  }
};

// The estimate and standard error (from the covariance root) of a regressor.
std::pair<double, double> coefficient(const FittedEquation& e, const std::string& name) {
  const std::size_t k = e.coefficients.size();
  for (std::size_t i = 0; i < k; ++i) {
    if (e.regressors[i].name != name) continue;
    double variance = 0;
    for (std::size_t j = 0; j < k; ++j)
      variance += e.covarianceRoot[i * k + j] * e.covarianceRoot[i * k + j];
    return {e.coefficients[i], std::sqrt(variance)};
  }
  ADD_FAILURE() << name << " is not in the model";
  return {0, 1};
}

// The fit recovers the generator's parameters, and the simulation of the fitted model,
// with normal errors and with the fit's own empirical errors, covers the census's true
// area headcounts: at least 85% within 1.96 standard errors (nominal 95%), the mean
// error (persons-weighted: the error for the whole census) within two standard errors
// of the whole census's estimate.
TEST(Fit, KnownTruthFromSurveyToCensusHeadcounts) {
  const KnownCountry country(40000, 150);
  const FitOptions fit = country.fit("fit");
  EXPECT_EQ(runFit(fit).rfind("Fitted LNWELFARE on 2250 households in 150 clusters: ", 0), 0u);
  const FittedModel model = readFittedModel(fit.out + "/model.json");
  EXPECT_NEAR(model.sigEta2, kClusterEffectVariance, 3 * std::sqrt(model.sigEta2Var));
  const std::pair<const char*, double> truth[] = {
      {"SIZE", -0.11}, {"ROOMS", 0.07}, {"ELECTRICITY", 0.25}};
  for (const auto& [name, value] : truth) {
    const auto [estimate, se] = coefficient(model.welfare, name);
    EXPECT_NEAR(estimate, value, 3 * se) << name;
  }
  ASSERT_TRUE(model.alpha);  // log variance rises by 0.12 per person
  const auto [slope, slopeSe] = coefficient(*model.alpha, "SIZE");
  EXPECT_NEAR(slope, 0.12, 3 * slopeSe);

  SimulateOptions simulate;
  simulate.model = fit.out + "/model.json";
  simulate.census = country.data.censusDaa;
  simulate.seed = 8;
  simulate.line = kLine;
  simulate.persons = "SIZE";
  simulate.areaDigits = {1, 3};  // areas of 10 clusters, and the whole census
  const auto estimates = [&](const std::string& name) {
    return areaEstimatesFromJson(name, readJsonFile(simulate.out + "/" + name));
  };
  for (const char* errors : {"normal", "empirical"}) {
    simulate.errors = errors;
    simulate.out = country.dir.file(errors);
    runSimulate(simulate);
    const TruthCoverage coverage =
        truthCoverage(country.data.censusDaa, "CLUSTER", 1, kLine, estimates("estimates.json"));
    EXPECT_GE(coverage.areas, 30u) << errors;
    EXPECT_GE(coverage.covered, 0.85) << errors;
    const double wholeSe = estimates("estimates-3.json").at(0).fgt0.standardError;
    EXPECT_LE(std::fabs(coverage.meanError), 2 * wholeSe) << errors;
  }
}

// An expression as the dependent variable reads the same values as the variable, and
// options stand in for a project file (written beside the model).
TEST(Fit, ExpressionDependentAndOptionsInsteadOfAProject) {
  const KnownCountry country(6000, 40);
  std::vector<FittedModel> models;
  for (const char* lhs : {"LNWELFARE", "LOG(EXP(LNWELFARE))"}) {
    FitOptions o = country.fit(models.empty() ? "plain" : "expression");
    o.project.clear();
    o.survey = country.data.surveyDaa;
    o.variables = {"SIZE", "ROOMS", "CL_ELECTRICITY"};
    o.lhs = lhs;
    o.method = "ols";
    o.alphaMethod = "none";
    runFit(o);
    models.push_back(readFittedModel(o.out + "/model.json"));
    for (const char* file : {"model.json", "empirical.json", "welfare.mdl", "report.txt",
                             "report.html", "project.ini"})
      EXPECT_TRUE(std::filesystem::exists(o.out + "/" + file)) << file;
    EXPECT_FALSE(std::filesystem::exists(o.out + "/alpha.mdl"));
    EXPECT_NE(testing::readFile(o.out + "/report.txt").find("Project: " + o.out + "/project.ini\n"),
              std::string::npos);
  }
  EXPECT_EQ(models[1].dependent, "LOG(EXP(LNWELFARE))");
  EXPECT_FALSE(models[1].alpha);
  ASSERT_EQ(models[0].welfare.coefficients.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i)
    EXPECT_NEAR(models[1].welfare.coefficients[i], models[0].welfare.coefficients[i], 1e-9);
}

TEST(Fit, RefusesWithOneLineAndWritesNothing) {
  const KnownCountry country(3000, 20);
  // Household identifiers read with the amplifier 1: every household its own cluster.
  CombineOptions ones;
  ones.households = country.dir.file("survey_households");
  ones.clusters = country.dir.file("survey_clusters");
  ones.key = "CLUSTER";
  ones.out = country.dir.file("ones.daA");
  combineDataSets(ones);
  struct Case {
    std::function<void(FitOptions&)> change;
    std::string message;
  };
  const Case cases[] = {
      {[](FitOptions& o) { o.method = "lasso"; },
       "--method is ols, forward, stepwise or backward, not lasso"},
      {[&](FitOptions& o) { o.survey = country.data.surveyDaa; },
       "give a project file or --survey with --vars, not both"},
      {[](FitOptions& o) { o.use = {"SIZE"}; }, "--use goes with --method ols"},
      {[](FitOptions& o) { o.stay = 1; }, "--entry and --stay lie between 0 and 1"},
      {[&](FitOptions& o) {
         o.project.clear();
         o.survey = country.data.surveyDaa;
         o.variables = {"SIZE", "nope"};
       },
       country.data.surveyDaa + ": no variable NOPE"},
      {[](FitOptions& o) { o.lhs = "LOG(NOPE)"; }, "Variable NOPE not found."},
      {[&](FitOptions& o) {
         o.project.clear();
         o.survey = ones.out;
         o.variables = {"SIZE"};
       },
       "every cluster has one household: the household identifier must be the cluster number "
       "times the amplifier of the survey's data reference plus the household's number "
       "(tessary combine --amplifier)"},
  };
  for (const Case& c : cases) {
    FitOptions o = country.fit("out");
    c.change(o);
    EXPECT_EQ(failureText([&] { runFit(o); }), c.message);
    EXPECT_FALSE(std::filesystem::exists(o.out)) << c.message;
  }
  for (const auto& entry : std::filesystem::directory_iterator(country.dir.path()))
    EXPECT_NE(entry.path().filename().string().rfind(".out.", 0), 0u) << entry.path();
}

}  // namespace
}  // namespace tessary::cli
