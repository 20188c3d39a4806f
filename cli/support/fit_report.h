// What `tessary fit` found, stage by stage, and the fitted-model file made of it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/fit_stages.h"
#include "support/fitted_model.h"

namespace tessary::cli {

struct FitOutcome {
  FitPlan plan;
  WelfareStage welfare;
  LocationStage location;
  std::optional<AlphaStage> alpha;
  std::vector<double> variances;  // each included household's error variance
  GlsEstimate gls;
};

// The side file of the empirical errors, beside model.json.
inline constexpr const char* kEmpiricalFile = "empirical.json";

// The text report: every stage's figures and the library's reports of the fits.
std::string fitReportText(const FitOutcome& fit);

// model.json's content: the GLS coefficients with the sandwich covariance's root, the
// alpha model, sigma^2_eta and its variance, the survey sample, and the empirical errors
// in kEmpiricalFile (the clusters' mean residuals and the household residuals divided
// by their standard deviations).
FittedModel fittedModelOf(const FitOutcome& fit);

}  // namespace tessary::cli
