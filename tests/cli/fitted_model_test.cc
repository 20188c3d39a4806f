#include "support/fitted_model.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include <nlohmann/json.hpp>

#include "test_support.h"

namespace tessary::cli {
namespace {

using testing::failureText;
using testing::ScratchDir;
using testing::writeFile;

Regressor regressor(const std::string& name, const std::string& source, int code = 0) {
  Regressor r;
  r.name = name;
  r.source = source;
  r.code = code;
  r.label = name == kInterceptName ? "Intercept" : "Label of " + name;
  return r;
}

FittedModel sampleModel() {
  FittedModel m;
  m.dependent = "LN(WELFARE)";
  m.surveyHouseholds = 7500;
  m.surveyClusters = 500;
  m.welfare.regressors = {regressor(kInterceptName, ""), regressor("SIZE", "SIZE"),
                          regressor("EDUC_2", "EDUC", 2)};
  m.welfare.coefficients = {7.1, -0.11, 0.12};
  m.welfare.covarianceRoot = {0.01, 0.002, 0, 0.002, 0.003, 0, 0, 0, 0.004};
  m.welfare.mse = 0.14;
  m.sigEta2 = 0.0225;
  m.sigEta2Var = 1.5e-5;
  FittedEquation alpha;
  alpha.regressors = {regressor(kInterceptName, ""), regressor("_yhat_", "_yhat_")};
  alpha.coefficients = {-4.5, 0.1};
  alpha.covarianceRoot = {0.2, 0, 0, 0.01};
  alpha.A = 2.5;
  alpha.mse = 1.3;
  m.alpha = alpha;
  m.empirical = EmpiricalErrors{{0.1, -0.2}, {1.1, -0.4, 0.3}};
  return m;
}

// The written form holds every field, so equal texts mean equal models; a side file's
// errors are read into the model but written as the file's name.
void expectSame(const FittedModel& a, const FittedModel& b) {
  EXPECT_EQ(fittedModelJson(a), fittedModelJson(b));
  ASSERT_TRUE(b.empirical);
  EXPECT_EQ(b.empirical->standardisedResiduals, a.empirical->standardisedResiduals);
}

TEST(FittedModel, RoundTripsInlineAndThroughASideFile) {
  ScratchDir dir;
  const FittedModel model = sampleModel();
  writeFile(dir.file("model.json"), fittedModelJson(model));
  expectSame(model, readFittedModel(dir.file("model.json")));

  FittedModel side = model;
  side.empiricalFile = "errors.json";
  writeFile(dir.file("model.json"), fittedModelJson(side));
  writeFile(dir.file("errors.json"), empiricalErrorsJson(*model.empirical));
  expectSame(side, readFittedModel(dir.file("model.json")));

  // The covariance root is stored row after row; the simulation takes it column-major.
  const SimulationModel parameters = simulationModelOf(model);
  EXPECT_EQ(parameters.betaRoot[1], 0.002);
  EXPECT_EQ(parameters.betaRoot[3], 0.002);
  EXPECT_EQ(parameters.alphaRoot, (std::vector<double>{0.2, 0, 0, 0.01}));
  EXPECT_EQ(parameters.alphaMSE, 1.3);
}

struct Damage {
  const char* problem;  // the message after "<file>: "
  std::function<void(nlohmann::json&)> change;
};

TEST(FittedModel, ADamagedFileFailsNamingTheField) {
  using nlohmann::json;
  const Damage damages[] = {
      {"sigEta2: missing", [](json& m) { m.erase("sigEta2"); }},
      {"sigEta2Var: must not be negative", [](json& m) { m["sigEta2Var"] = -1; }},
      {"format: expected \"tessary fitted model\"", [](json& m) { m["format"] = "x"; }},
      {"version: this tessary reads version 1", [](json& m) { m["version"] = 2; }},
      {"survey.clusters: expected a whole number from 1 to 9007199254740992",
       [](json& m) { m["survey"]["clusters"] = 0; }},
      {"welfare_model.coefficients[2]: expected a number",
       [](json& m) { m["welfare_model"]["coefficients"][2] = "0.1"; }},
      {"welfare_model.coefficients: has 2 numbers for 3 regressors",
       [](json& m) { m["welfare_model"]["coefficients"].erase(2); }},
      {"welfare_model.covariance_root[1]: expected 3 numbers",
       [](json& m) { m["welfare_model"]["covariance_root"][1].erase(0); }},
      {"welfare_model.covariance_root: expected 3 rows",
       [](json& m) { m["welfare_model"]["covariance_root"].erase(0); }},
      {"welfare_model.regressors[0].name: the first regressor must be _intercept_",
       [](json& m) { m["welfare_model"]["regressors"][0]["name"] = "SIZE"; }},
      {"welfare_model.regressors[1].code: expected a whole number",
       [](json& m) { m["welfare_model"]["regressors"][1]["code"] = 1.5; }},
      {"alpha_model.A: must be above 0", [](json& m) { m["alpha_model"]["A"] = 0; }},
      {"alpha_model.bound: unknown field", [](json& m) { m["alpha_model"]["bound"] = 1; }},
      {"empirical.cluster_effects: must not be empty",
       [](json& m) { m["empirical"]["cluster_effects"] = json::array(); }},
  };
  ScratchDir dir;
  const std::string path = dir.file("model.json");
  const json good = json::parse(fittedModelJson(sampleModel()));
  for (const Damage& damage : damages) {
    json damaged = good;
    damage.change(damaged);
    writeFile(path, damaged.dump());
    EXPECT_EQ(failureText([&] { readFittedModel(path); }), path + ": " + damage.problem);
  }
  writeFile(path, "{\"format\": ");
  EXPECT_EQ(failureText([&] { readFittedModel(path); }), path + ": not valid JSON (at byte 12)");
  writeFile(path, "{\"sigEta2\": 1e400}");
  EXPECT_EQ(failureText([&] { readFittedModel(path); }),
            path + ": not valid JSON (a number out of range)");
  json side = good;
  side["empirical"] = "errors.json";
  writeFile(path, side.dump());
  EXPECT_EQ(failureText([&] { readFittedModel(path); }),
            dir.file("errors.json") + ": can't read the file (No such file or directory)");
}

// Writes the fuzz target's seed corpus into $TESSARY_SEED_DIR/fitted_model (nothing
// without it): a whole model, one without alpha model and empirical errors, one that
// names a side file.
TEST(FittedModel, FuzzSeeds) {
  const char* seeds = std::getenv("TESSARY_SEED_DIR");
  if (seeds == nullptr) GTEST_SKIP() << "TESSARY_SEED_DIR not set";
  const std::string root = std::string(seeds) + "/fitted_model";
  std::filesystem::create_directories(root);
  FittedModel model = sampleModel();
  writeFile(root + "/seed01", fittedModelJson(model));
  model.alpha.reset();
  model.empirical.reset();
  writeFile(root + "/seed02", fittedModelJson(model));
  model.empiricalFile = "errors.json";
  writeFile(root + "/seed03", fittedModelJson(model));
}

}  // namespace
}  // namespace tessary::cli
