#include "support/fit_directory.h"

#include <cmath>

#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/file.h"
#include "platform/text.h"
#include "regression/regression.h"
#include "support/model_fitting.h"

namespace tessary::cli {
namespace {

std::string figure(double value, int decimals = 5) {
  return std::isfinite(value) ? formatFixed(value, decimals, 14) : "";
}

// The standard errors of a covariance root S (row after row): sqrt of diag(S S').
std::vector<double> rootStandardErrors(const FittedEquation& e) {
  const std::size_t k = e.coefficients.size();
  std::vector<double> out(k, 0.0);
  for (std::size_t i = 0; i < k; ++i) {
    for (std::size_t j = 0; j < k; ++j)
      out[i] += e.covarianceRoot[i * k + j] * e.covarianceRoot[i * k + j];
    out[i] = std::sqrt(out[i]);
  }
  return out;
}

std::vector<std::vector<std::string>> statisticRows(const FitDirectory& fit) {
  const FittedModel& m = fit.model;
  std::vector<std::vector<std::string>> rows = {
      {"Survey households", std::to_string(m.surveyHouseholds)},
      {"Survey clusters", std::to_string(m.surveyClusters)},
      {"R squared (OLS)", figure(fit.welfare.r2)},
      {"Adjusted R squared", figure(fit.welfare.adjR2)},
      {"MSE (OLS)", figure(m.welfare.mse)},
      {"Location effect variance sigma2_eta", figure(m.sigEta2)},
      {"its standard error", figure(std::sqrt(m.sigEta2Var))},
      {"sigma2_eta / MSE", figure(m.sigEta2 / m.welfare.mse, 4)}};
  if (m.alpha) {
    rows.push_back({"Alpha model: A", figure(m.alpha->A)});
    rows.push_back({"Alpha model: MSE", figure(m.alpha->mse)});
    if (fit.alpha) rows.push_back({"Alpha model: R squared", figure(fit.alpha->r2)});
  }
  return rows;
}

// The GLS estimates beside the OLS ones of the same regressor.
std::vector<std::vector<std::string>> coefficientRows(const FitDirectory& fit) {
  const FittedEquation& gls = fit.model.welfare;
  const std::vector<double> se = rootStandardErrors(gls);
  std::vector<std::vector<std::string>> rows;
  for (std::size_t i = 0; i < gls.regressors.size(); ++i) {
    std::vector<std::string> row = {gls.regressors[i].name, gls.regressors[i].label};
    const std::vector<Regressor>& ols = fit.welfare.regressors;
    if (i < ols.size() && ols[i].name == gls.regressors[i].name)
      row.insert(row.end(),
                 {figure(ols[i].coef), figure(ols[i].stdErr), formatPValue(ols[i].prob)});
    else
      row.insert(row.end(), {"", "", ""});
    row.insert(row.end(), {figure(gls.coefficients[i]), figure(se[i])});
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

FitDirectory readFitDirectory(const std::string& directory) {
  FitDirectory fit;
  fit.path = directory.empty() || directory.back() == '/' ? directory : directory + "/";
  fit.model = readFittedModel(fit.path + "model.json");
  fit.welfare = readModelFileFit(fit.path + "welfare.mdl");
  if (fit.model.alpha) fit.alpha = readModelFileFit(fit.path + "alpha.mdl");
  if (!readWholeFile(fit.path + "report.txt", fit.report))
    raiseFailure(fit.path + "report.txt: can't read the file (" +
                 systemErrorText(lastSystemError()) + ")");
  return fit;
}

void addModelSection(HtmlPage& page, const FitDirectory& fit) {
  page.heading("The welfare model of " + fit.model.dependent);
  page.paragraph(
      "Fitted on the survey by weighted least squares, its residual split into a cluster "
      "(location) effect and a household effect whose variance the alpha model describes, "
      "then re-estimated by GLS with errors correlated within clusters (standard errors from "
      "the sandwich covariance).");
  page.table({"Statistic", "Value"}, statisticRows(fit));
  page.table({"Regressor", "Label", "OLS coef.", "OLS s.e.", "Prob>|t|", "GLS coef.", "GLS s.e."},
             coefficientRows(fit));
  if (fit.model.alpha) {
    const std::vector<double> se = rootStandardErrors(*fit.model.alpha);
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < se.size(); ++i)
      rows.push_back({fit.model.alpha->regressors[i].name, figure(fit.model.alpha->coefficients[i]),
                      figure(se[i])});
    page.paragraph("The alpha model of the household error variance, with White standard errors:");
    page.table({"Regressor", "Coef.", "White s.e."}, rows);
  }
  page.folded("Report of every stage (report.txt)", fit.report);
}

}  // namespace tessary::cli
