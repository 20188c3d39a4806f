// The stages of `tessary fit`, run as a host runs them, through the library's exports
// and internals (no estimator is computed here):
//   1. the welfare model: buildModelFromCombinedDataset, makeSSCP, OLS or a selection
//      export, getResidual, getCountOfCluster;
//   2. the location effect: the clusters' residual summaries and locationalEffect's
//      estimate of sigma^2_eta and of its sampling variance;
//   3. the alpha model of the household error variance: getAlphaLHS's dependent
//      variable, an alpha regression (SSCP and OLS or selection) of it on the welfare
//      model's regressors and the squared prediction, getAlphaCov's White covariance
//      and getVarEpsilon's variances (or, without an alpha model, one variance
//      MSE - sigma^2_eta for every household);
//   4. the GLS adjustment with the sandwich covariance of the estimator.
//
// Readings taken where the pipeline leaves a choice:
//  - a categorical variable whose every category has a dummy (with the intercept, a
//    singular set) has its first dummy fixed out of the model: the base category;
//  - the alpha model's candidates leave out the prediction itself, a linear combination
//    of the welfare regressors, and keep its square;
//  - a cluster's summary is its mean residual and the residuals' sample variance about
//    it, each household counting once; its weight is the sum of its households' weights;
//  - the household residuals the alpha model and the empirical errors take are
//    eps sqrt(m / (m - 1)) in a cluster of m households (0 for a single one): taking the
//    cluster's mean residual out removes 1/m of a household error's variance, which the
//    alpha model would otherwise miss (the simulated headcounts then came out low by
//    about 1.5% in known-truth runs);
//  - a negative sigma^2_eta counts as 0 in the GLS adjustment.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "regression/cluster_effects.h"
#include "regression/gls.h"
#include "regression/model_sample.h"
#include "regression/regressor.h"
#include "support/fitted_model.h"
#include "support/model_fitting.h"

namespace tessary::cli {

struct FitPlan {
  std::string project;       // the project the welfare model's candidates come from
  std::string projectShown;  // where the user finds it
  std::string survey;        // its survey (.daA)
  std::string lhs;           // log welfare: a variable or an expression
  FitMethod method = FitMethod::kStepwise;
  std::vector<std::string> use;  // with ols, the regressors (none: every candidate)
  double entry = 0.05;
  double stay = 0.05;
  std::optional<FitMethod> alphaMethod = FitMethod::kStepwise;  // none: no alpha model
  std::string work;  // where the model files and the library's reports go (ending in '/')

  std::string welfareModel() const { return work + "welfare.mdl"; }
  std::string alphaModel() const { return work + "alpha.mdl"; }
};

struct WelfareStage {
  ModelSample sample;           // the included households and their weights
  std::vector<double> weights;  // one per included household, 1 when unweighted
  ModelFileFit model;           // the fitted model file
  std::vector<std::string> baseCategories;
  std::vector<double> y, prediction, residuals;  // per included household
  ClusterRuns clusters;
  std::string report;  // the library's report of every step
};

struct LocationStage {
  LocationEffect effect;
  std::vector<double> clusterEffects;   // the clusters' mean residuals
  std::vector<double> eps;              // residual minus its cluster's effect
  std::vector<double> householdErrors;  // eps sqrt(m / (m - 1)), m the cluster's households
};

struct AlphaStage {
  FittedEquation equation;  // coefficients, the White covariance's root, A and the MSE
  std::vector<double> standardErrors;
  double r2 = 0.0;
  std::int32_t households = 0;
  std::string report;
};

WelfareStage fitWelfareModel(const FitPlan& plan);
LocationStage estimateLocationEffect(const WelfareStage& welfare);
// The alpha model, and each included household's error variance into `variances`.
AlphaStage fitAlphaModel(const FitPlan& plan, const WelfareStage& welfare,
                         const LocationStage& location, std::vector<double>& variances);
// MSE - sigma^2_eta for every included household.
std::vector<double> commonVariances(const WelfareStage& welfare, const LocationStage& location);
GlsEstimate adjustByGls(const FitPlan& plan, const WelfareStage& welfare,
                        const LocationStage& location, std::vector<double> variances);

}  // namespace tessary::cli
