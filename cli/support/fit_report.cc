#include "support/fit_report.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "frame/number_format.h"
#include "platform/text.h"
#include "regression/report.h"

namespace tessary::cli {
namespace {

std::string number(double value, int decimals = 5) {
  return formatFixed(value, decimals, 12);
}

std::string column(double value) {
  return reportNumber(value, 5, 10, 11);
}

std::string joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& name : names)
    out += (out.empty() ? "" : ", ") + name;
  return out;
}

std::string welfareSection(const FitOutcome& fit) {
  const WelfareStage& w = fit.welfare;
  const double totalWeight = std::accumulate(w.weights.begin(), w.weights.end(), 0.0);
  std::string out =
      "\n1. Welfare model of " + fit.plan.lhs + " (" + fitMethodName(fit.plan.method) + ")\n";
  out += formatText("Sample: %d of the survey's %d households, in %zu clusters; total weight %s\n",
                    w.sample.included, w.model.records, w.clusters.counts.size(),
                    formatFixed(totalWeight, 2, 14).c_str());
  if (!w.baseCategories.empty())
    out += "Base categories (fixed out of the model): " + joined(w.baseCategories) + "\n";
  return out + w.report;
}

std::string locationSection(const FitOutcome& fit) {
  const LocationEffect& e = fit.location.effect;
  return "\n2. Location effect\n" +
         formatText("Clusters: %zu; %d with one household, left out of the estimate\n",
                    fit.location.clusterEffects.size(), e.singletons) +
         "sigma2_eta " + number(e.sigEta2) + "  s.e. " + number(std::sqrt(e.variance)) + "  (" +
         formatFixed(100 * e.sigEta2 / fit.welfare.model.mse, 1, 8) +
         " % of the welfare model's MSE " + number(fit.welfare.model.mse) + ")\n";
}

std::string variancesLine(const std::vector<double>& v) {
  if (v.empty()) return "";
  const auto [low, high] = std::minmax_element(v.begin(), v.end());
  const double mean = std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
  return "Household error variance sigma2_eps: min " + number(*low) + ", mean " + number(mean) +
         ", max " + number(*high) + "\n";
}

std::string alphaSection(const FitOutcome& fit) {
  if (!fit.alpha)
    return "\n3. Alpha model: none; every household's error variance is the MSE less "
           "sigma2_eta\n" +
           variancesLine(fit.variances);
  const AlphaStage& a = *fit.alpha;
  std::string out = "\n3. Alpha model of ln(e^2 / (A - e^2)), e the household residual (" +
                    std::string(fitMethodName(*fit.plan.alphaMethod)) + ")\n";
  out += "A = 1.05 x the largest squared household residual = " + number(a.equation.A) + "\n";
  out += formatText("Households: %d\n", a.households) + a.report;
  out += "White (heteroskedasticity-robust) standard errors of the alpha coefficients:\n";
  out += "  Regressor          Coef.  White s.e.\n";
  for (std::size_t i = 0; i < a.equation.regressors.size(); ++i)
    out += leftAlign(a.equation.regressors[i].name, 14) + column(a.equation.coefficients[i]) +
           column(a.standardErrors[i]) + "\n";
  return out + variancesLine(fit.variances);
}

std::string glsSection(const FitOutcome& fit) {
  const GlsEstimate& g = fit.gls;
  std::string out =
      std::string("\n4. GLS adjustment (errors correlated within clusters") +
      (g.withLocation ? "" : "; computed without the location component") +
      "; sandwich covariance)\n  Regressor      OLS coef.  OLS s.e.  GLS coef.  GLS s.e.\n";
  for (std::size_t i = 0; i < fit.welfare.model.regressors.size(); ++i) {
    const Regressor& r = fit.welfare.model.regressors[i];
    const int at = static_cast<int>(i);
    out += leftAlign(r.name, 14) + column(r.coef) + column(r.stdErr) + column(g.beta[at]) +
           column(std::sqrt(g.covariance(at, at))) + "\n";
  }
  return out;
}

std::vector<double> rowMajor(const Matrix& m) {
  std::vector<double> out;
  for (int i = 0; i < m.rows(); ++i)
    for (int j = 0; j < m.cols(); ++j)
      out.push_back(m(i, j));
  return out;
}

}  // namespace

std::string fitReportText(const FitOutcome& fit) {
  return "tessary fit: " + fit.plan.lhs + " on the survey " + fit.plan.survey +
         "\nProject: " + fit.plan.projectShown + "\n" + welfareSection(fit) + locationSection(fit) +
         alphaSection(fit) + glsSection(fit);
}

FittedModel fittedModelOf(const FitOutcome& fit) {
  FittedModel model;
  model.dependent = fit.plan.lhs;
  model.surveyHouseholds = static_cast<std::uint64_t>(fit.welfare.sample.included);
  model.surveyClusters = fit.welfare.clusters.counts.size();
  model.welfare.regressors = fit.welfare.model.regressors;
  const GlsEstimate& g = fit.gls;
  model.welfare.coefficients.assign(g.beta.data(), g.beta.data() + g.beta.count());
  model.welfare.covarianceRoot = rowMajor(g.covarianceRoot);
  model.welfare.mse = fit.welfare.model.mse;
  model.sigEta2 = fit.location.effect.sigEta2;
  model.sigEta2Var = fit.location.effect.variance;
  if (fit.alpha) model.alpha = fit.alpha->equation;
  EmpiricalErrors errors;
  errors.clusterEffects = fit.location.clusterEffects;
  const std::vector<double>& e = fit.location.householdErrors;
  for (std::size_t h = 0; h < e.size(); ++h)
    errors.standardisedResiduals.push_back(e[h] / std::sqrt(fit.variances[h]));
  model.empirical = std::move(errors);
  model.empiricalFile = kEmpiricalFile;
  return model;
}

}  // namespace tessary::cli
