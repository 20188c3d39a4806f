// The fitted-model file, model.json: everything `tessary simulate` needs of a welfare
// model fitted on a survey, in one JSON document (the README's "model.json" section
// lists every field):
//   {"format": "tessary fitted model", "version": 1, "dependent": "LN(WELFARE)",
//    "survey": {"households": n, "clusters": c},
//    "welfare_model": {"regressors": [...], "coefficients": [...],
//                      "covariance_root": [[...], ...], "mse": m},
//    "sigEta2": s, "sigEta2Var": v,
//    "alpha_model": null | {"regressors": [...], "coefficients": [...],
//                           "covariance_root": [[...], ...], "A": a, "mse": m},
//    "empirical": absent | {"cluster_effects": [...], "standardised_residuals": [...]}
//                 | "side-file.json"}
// A regressor is {"name", "source", "code", "label"} as in the library's model files
// (label optional); the first of each model is the intercept. A covariance root is a
// matrix S (one array per row) with S S' the coefficients' covariance. A side file
// named by "empirical" (relative to model.json's directory) holds the object form.
//
// Reading is strict: a field missing, of the wrong type or size, not finite, out of
// range or unknown fails with "<file>: <field>: <what is wrong>".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "regression/regressor.h"
#include "simulation/replication_parameters.h"

namespace tessary::cli {

struct FittedEquation {
  std::vector<Regressor> regressors;  // intercept first; their coef fields are unused
  std::vector<double> coefficients;
  std::vector<double> covarianceRoot;  // k x k, row after row as in the file
  double mse = 0.0;
  double A = 0.0;  // the alpha model's bound; unused for the welfare model
};

struct EmpiricalErrors {
  std::vector<double> clusterEffects;
  std::vector<double> standardisedResiduals;
};

struct FittedModel {
  std::string dependent;  // the welfare model's dependent variable, e.g. LN(WELFARE)
  std::uint64_t surveyHouseholds = 0;
  std::uint64_t surveyClusters = 0;
  FittedEquation welfare;
  double sigEta2 = 0.0;
  double sigEta2Var = 0.0;
  std::optional<FittedEquation> alpha;  // none: one household error variance
  std::optional<EmpiricalErrors> empirical;
  // The side file as "empirical" names it (relative to model.json's directory), or ""
  // when the errors are in model.json itself.
  std::string empiricalFile;
};

// Reads and checks model.json (and its side file, when it names one).
FittedModel readFittedModel(const std::string& path);

// The JSON text of the model (the side file, if any, is the writer's to write).
std::string fittedModelJson(const FittedModel& model);

// The JSON text of a side file of empirical errors.
std::string empiricalErrorsJson(const EmpiricalErrors& errors);

// The parameters as the simulation takes them.
SimulationModel simulationModelOf(const FittedModel& model);

}  // namespace tessary::cli
