// The alpha model stage of `tessary fit` (see fit_stages.h): the library's regression
// code fits it on the survey with two columns laid over it, its dependent variable and
// the welfare model's prediction.
#include <cmath>

#include "data/record_bitmap.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/column_memory.h"
#include "platform/file.h"
#include "regression/alpha_model.h"
#include "regression/regression.h"
#include "regression/regression_data.h"
#include "support/fit_stages.h"
#include "support/survey_overlay.h"

namespace tessary::cli {
namespace {

// The name the alpha model's dependent variable goes by.
constexpr const char* kAlphaDependent = "LN(E2/(A-E2))";

Regressor candidate(const std::string& name, const std::string& source, const std::string& label) {
  Regressor r;
  r.name = name;
  r.source = source;
  r.label = label;
  return r;
}

// The candidates: the welfare model's regressors and the squared prediction; all in the
// model for OLS.
void writeCandidates(const FitPlan& plan, const WelfareStage& welfare, std::int32_t records) {
  Regression alpha;
  alpha.regressors = welfare.model.regressors;
  alpha.regressors.push_back(candidate(kYhatSquaredName, kYhatName, kYhatSquaredName));
  const bool all = *plan.alphaMethod == FitMethod::kOls;
  for (Regressor& r : alpha.regressors)
    r.flags = all ? kInModel : 0, r.coef = r.stdErr = r.prob = 0.0;
  alpha.regressors[0].flags = kInModel | kFixed;
  alpha.numOfRgrs = static_cast<std::int16_t>(alpha.regressors.size());
  alpha.LHS = kAlphaDependent;
  alpha.Weight = welfare.model.weight;
  alpha.nRecs = records;
  alpha.yhatLevel = 2;
  alpha.slEntry = plan.entry;
  alpha.slStay = plan.stay;
  writeModelFile(alpha, plan.alphaModel());
}

// The welfare sample without the households whose dependent variable is not finite (a
// residual of exactly 0), and their weights.
struct AlphaSample {
  std::vector<std::uint8_t> mask;
  std::vector<double> weights;
};

AlphaSample alphaSample(const WelfareStage& welfare, const std::vector<double>& lhs) {
  AlphaSample sample{welfare.sample.mask, {}};
  std::size_t next = 0;
  for (std::size_t record = 1; record <= static_cast<std::size_t>(welfare.model.records);
       ++record) {
    if (isHole(sample.mask.data(), record)) continue;
    const std::size_t h = next++;
    if (std::isfinite(lhs[h]))
      sample.weights.push_back(welfare.weights[h]);
    else
      setHole(sample.mask.data(), record);
  }
  return sample;
}

// The alpha model's predictions for the households of `mask`.
std::vector<double> alphaPredictions(RegressionData& data, const std::string& file,
                                     std::vector<std::uint8_t> mask, std::vector<double> weights) {
  Regression model;
  model.load(data, file);
  model.init(mask.data(), weights.data(), false);
  const auto records = static_cast<std::size_t>(std::max(model.nRecs, 1));
  std::vector<double> z(records), yhat(records);
  model.getPrediction(z.data(), nullptr, yhat.data(), true, false);
  z.resize(static_cast<std::size_t>(model.nObs));
  return z;
}

void fitAlphaRegression(const FitPlan& plan, RegressionData& data, AlphaSample sample,
                        AlphaStage& stage) {
  Regression model;
  model.load(data, plan.alphaModel());
  stage.households = model.init(sample.mask.data(), sample.weights.data(), true);
  std::vector<double> sscp(static_cast<std::size_t>(packedSize(model.numOfRgrs)));
  if (!model.buildSSCP(sscp.data())) raiseFailure("the alpha model's cross-products failed");
  const std::string reportPath = plan.work + "alpha_report.txt";
  fitModelFile(*plan.alphaMethod, plan.alphaModel(), sscp, reportPath);
  readWholeFile(reportPath, stage.report);
}

// The coefficients, the White covariance's root and the MSE of the fitted alpha model.
void describeFit(const FitPlan& plan, RegressionData& data, AlphaSample sample, AlphaStage& stage) {
  Regression model;
  model.load(data, plan.alphaModel());
  model.init(sample.mask.data(), sample.weights.data(), false);
  if (model.status < 0) raiseFailure("the final fit of the alpha model failed");
  const int k = model.selectModel();
  const auto n = static_cast<std::size_t>(model.nObs);
  ColumnBuffer<double> x(n * (static_cast<std::size_t>(k) + 1));
  model.getX(x.data(), 0);
  const std::vector<double> z =
      alphaPredictions(data, plan.alphaModel(), sample.mask, sample.weights);
  std::vector<double> r(n);
  for (std::size_t i = 0; i < n; ++i)
    r[i] = x[n * static_cast<std::size_t>(k) + i] - z[i];
  const WhiteCovariance white = whiteCovariance(x.data(), n, k, r, sample.weights.data());
  FittedEquation& e = stage.equation;
  e.regressors = modelRegressors(model);
  for (const Regressor& regressor : e.regressors)
    e.coefficients.push_back(regressor.coef);
  for (int i = 0; i < k; ++i) {
    for (int j = 0; j < k; ++j)
      e.covarianceRoot.push_back(white.root(i, j));
    stage.standardErrors.push_back(std::sqrt(white.covariance(i, i)));
  }
  e.mse = model.MSE;
  stage.r2 = model.R2;
}

}  // namespace

AlphaStage fitAlphaModel(const FitPlan& plan, const WelfareStage& welfare,
                         const LocationStage& location, std::vector<double>& variances) {
  AlphaStage stage;
  std::vector<double> lhs(location.householdErrors.size());
  stage.equation.A = alphaDependent(location.householdErrors, lhs);
  const auto records = static_cast<std::size_t>(welfare.model.records);
  RegressionData survey;
  survey.open(plan.survey);
  SurveyOverlay overlay(survey);
  overlay.set(kAlphaDependent, spreadOverRecords(lhs, welfare.sample.mask, records, MISSING));
  overlay.set(kYhatName,
              spreadOverRecords(welfare.prediction, welfare.sample.mask, records, MISSING));
  RegressionData data;
  data.attach(overlay);

  writeCandidates(plan, welfare, welfare.model.records);
  const AlphaSample sample = alphaSample(welfare, lhs);
  fitAlphaRegression(plan, data, sample, stage);
  describeFit(plan, data, sample, stage);

  const std::vector<double> z =
      alphaPredictions(data, plan.alphaModel(), welfare.sample.mask, welfare.weights);
  variances.assign(z.size(), 0.0);
  epsilonVariances(2, z, welfare.model.mse, location.effect.sigEta2, stage.equation.mse,
                   stage.equation.A, variances);
  return stage;
}

}  // namespace tessary::cli
