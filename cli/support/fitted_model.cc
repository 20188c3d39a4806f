#include "support/fitted_model.h"

#include <cmath>
#include <limits>
#include <vector>

#include <nlohmann/json.hpp>

#include "frame/failure.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/json_file.h"

namespace tessary::cli {
namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

constexpr const char* kFormat = "tessary fitted model";
constexpr int kVersion = 1;

Regressor readRegressor(const JsonFields& fields) {
  fields.onlyThese({"name", "source", "code", "label"});
  Regressor regressor;
  regressor.name = fields.text("name");
  regressor.source = fields.text("source");
  regressor.code = static_cast<std::int32_t>(fields.integer(
      "code", std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
  if (fields.has("label")) regressor.label = fields.text("label");
  if (regressor.name.empty()) fields.fail(fields.name("name"), "must not be empty");
  return regressor;
}

FittedEquation readEquation(const JsonFields& fields, bool alpha) {
  if (alpha)
    fields.onlyThese({"regressors", "coefficients", "covariance_root", "A", "mse"});
  else
    fields.onlyThese({"regressors", "coefficients", "covariance_root", "mse"});
  FittedEquation equation;
  const Json& regressors = fields.at("regressors");
  if (!regressors.is_array() || regressors.empty())
    fields.fail(fields.name("regressors"), "expected a non-empty array");
  for (std::size_t i = 0; i < regressors.size(); ++i)
    equation.regressors.push_back(readRegressor(
        fields.element(regressors[i], fields.name("regressors") + "[" + std::to_string(i) + "]")));
  if (equation.regressors[0].name != kInterceptName)
    fields.fail(fields.name("regressors[0].name"), "the first regressor must be _intercept_");
  const std::size_t k = equation.regressors.size();
  equation.coefficients = fields.numbers("coefficients");
  if (equation.coefficients.size() != k)
    fields.fail(fields.name("coefficients"),
                formatText("has %zu numbers for %zu regressors", equation.coefficients.size(), k));
  const Json& root = fields.at("covariance_root");
  if (!root.is_array() || root.size() != k)
    fields.fail(fields.name("covariance_root"), formatText("expected %zu rows", k));
  for (std::size_t i = 0; i < k; ++i) {
    const std::string row = fields.name("covariance_root") + "[" + std::to_string(i) + "]";
    const std::vector<double> values = fields.numbers(root[i], row);
    if (values.size() != k) fields.fail(row, formatText("expected %zu numbers", k));
    equation.covarianceRoot.insert(equation.covarianceRoot.end(), values.begin(), values.end());
  }
  equation.mse = fields.notNegative("mse");
  if (alpha) {
    equation.A = fields.number("A");
    if (!(equation.A > 0)) fields.fail(fields.name("A"), "must be above 0");
  }
  return equation;
}

EmpiricalErrors readEmpirical(const JsonFields& fields) {
  fields.onlyThese({"cluster_effects", "standardised_residuals"});
  EmpiricalErrors errors;
  errors.clusterEffects = fields.numbers("cluster_effects");
  errors.standardisedResiduals = fields.numbers("standardised_residuals");
  if (errors.clusterEffects.empty())
    fields.fail(fields.name("cluster_effects"), "must not be empty");
  if (errors.standardisedResiduals.empty())
    fields.fail(fields.name("standardised_residuals"), "must not be empty");
  return errors;
}

void readEmpiricalField(const std::string& path, const JsonFields& top, FittedModel& model) {
  if (!top.has("empirical")) return;
  const Json& value = top.at("empirical");
  if (!value.is_string()) {
    model.empirical = readEmpirical(top.object("empirical"));
    return;
  }
  model.empiricalFile = value.get<std::string>();
  if (model.empiricalFile.empty()) top.fail("empirical", "expected a file name or an object");
  const std::string side = resolveAgainst(directoryOf(path), model.empiricalFile);
  const Json content = readJsonFile(side);
  model.empirical = readEmpirical(JsonFields(side, content, ""));
}

// ---- writing ----

OrderedJson finite(double v, const char* what) {
  if (!std::isfinite(v)) raiseFailure(formatText("model.json: %s is not a finite number", what));
  return v;
}

OrderedJson numberArray(const std::vector<double>& values, const char* what) {
  OrderedJson array = OrderedJson::array();
  for (double v : values)
    array.push_back(finite(v, what));
  return array;
}

OrderedJson equationJson(const FittedEquation& equation, bool alpha) {
  OrderedJson regressors = OrderedJson::array();
  for (const Regressor& r : equation.regressors)
    regressors.push_back(
        {{"name", r.name}, {"source", r.source}, {"code", r.code}, {"label", r.label}});
  const std::size_t k = equation.regressors.size();
  if (equation.coefficients.size() != k || equation.covarianceRoot.size() != k * k)
    raiseFailure("model.json: the coefficients or the covariance root do not fit the regressors");
  OrderedJson root = OrderedJson::array();
  for (std::size_t i = 0; i < k; ++i)
    root.push_back(numberArray(std::vector<double>(equation.covarianceRoot.begin() + i * k,
                                                   equation.covarianceRoot.begin() + (i + 1) * k),
                               "a covariance root"));
  OrderedJson out;
  out["regressors"] = std::move(regressors);
  out["coefficients"] = numberArray(equation.coefficients, "a coefficient");
  out["covariance_root"] = std::move(root);
  if (alpha) out["A"] = finite(equation.A, "A");
  out["mse"] = finite(equation.mse, "an MSE");
  return out;
}

OrderedJson empiricalObject(const EmpiricalErrors& errors) {
  OrderedJson out;
  out["cluster_effects"] = numberArray(errors.clusterEffects, "a cluster effect");
  out["standardised_residuals"] = numberArray(errors.standardisedResiduals, "a residual");
  return out;
}

// Row-major k x k to column-major.
std::vector<double> transposed(const std::vector<double>& rows, std::size_t k) {
  std::vector<double> out(rows.size());
  for (std::size_t i = 0; i < k; ++i)
    for (std::size_t j = 0; j < k; ++j)
      out[j * k + i] = rows[i * k + j];
  return out;
}

}  // namespace

FittedModel readFittedModel(const std::string& path) {
  const Json document = readJsonFile(path);
  const JsonFields top(path, document, "");
  top.onlyThese({"format", "version", "dependent", "survey", "welfare_model", "sigEta2",
                 "sigEta2Var", "alpha_model", "empirical"});
  if (top.text("format") != kFormat)
    top.fail("format", std::string("expected \"") + kFormat + "\"");
  if (top.integer("version", 0, 1000000) != kVersion)
    top.fail("version", formatText("this tessary reads version %d", kVersion));
  FittedModel model;
  model.dependent = top.text("dependent");
  const JsonFields survey = top.object("survey");
  survey.onlyThese({"households", "clusters"});
  model.surveyHouseholds = static_cast<std::uint64_t>(survey.integer("households", 1, 1LL << 53));
  model.surveyClusters = static_cast<std::uint64_t>(survey.integer("clusters", 1, 1LL << 53));
  model.welfare = readEquation(top.object("welfare_model"), false);
  model.sigEta2 = top.number("sigEta2");
  model.sigEta2Var = top.notNegative("sigEta2Var");
  if (!top.at("alpha_model").is_null()) model.alpha = readEquation(top.object("alpha_model"), true);
  readEmpiricalField(path, top, model);
  return model;
}

std::string fittedModelJson(const FittedModel& model) {
  OrderedJson out;
  out["format"] = kFormat;
  out["version"] = kVersion;
  out["dependent"] = model.dependent;
  out["survey"] = {{"households", model.surveyHouseholds}, {"clusters", model.surveyClusters}};
  out["welfare_model"] = equationJson(model.welfare, false);
  out["sigEta2"] = finite(model.sigEta2, "sigEta2");
  out["sigEta2Var"] = finite(model.sigEta2Var, "sigEta2Var");
  out["alpha_model"] = model.alpha ? equationJson(*model.alpha, true) : OrderedJson(nullptr);
  if (!model.empiricalFile.empty())
    out["empirical"] = model.empiricalFile;
  else if (model.empirical)
    out["empirical"] = empiricalObject(*model.empirical);
  return out.dump(2) + "\n";
}

std::string empiricalErrorsJson(const EmpiricalErrors& errors) {
  return empiricalObject(errors).dump(2) + "\n";
}

SimulationModel simulationModelOf(const FittedModel& model) {
  SimulationModel out;
  out.beta = model.welfare.coefficients;
  out.betaRoot = transposed(model.welfare.covarianceRoot, out.beta.size());
  out.mse = model.welfare.mse;
  out.sigEta2 = model.sigEta2;
  out.sigEta2Var = model.sigEta2Var;
  if (model.alpha) {
    out.alpha = model.alpha->coefficients;
    out.alphaRoot = transposed(model.alpha->covarianceRoot, out.alpha.size());
    out.A = model.alpha->A;
    out.alphaMSE = model.alpha->mse;
  }
  return out;
}

}  // namespace tessary::cli
