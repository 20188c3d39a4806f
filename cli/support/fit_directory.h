// A `tessary fit` directory read back for reports: model.json (the GLS coefficients,
// the alpha model, the location effect), the library's model files welfare.mdl and
// alpha.mdl (the OLS estimates and fit statistics) and report.txt (every stage).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "regression/regressor.h"
#include "support/fitted_model.h"
#include "support/html_page.h"
#include "support/model_fitting.h"

namespace tessary::cli {

// The files a fit writes (alpha.mdl only with an alpha model).
inline const std::vector<std::string> kFitFiles = {"model.json", "empirical.json", "welfare.mdl",
                                                   "alpha.mdl",  "report.txt",     "report.html"};

struct FitDirectory {
  std::string path;  // ending in '/'
  FittedModel model;
  ModelFileFit welfare;
  std::optional<ModelFileFit> alpha;
  std::string report;
};

// Raises "<file>: ..." for a file that is missing or can't be read.
FitDirectory readFitDirectory(const std::string& directory);

// The model's section of a report: sample and fit statistics, the coefficients (OLS
// and GLS), the alpha model, and the text report folded.
void addModelSection(HtmlPage& page, const FitDirectory& fit);

}  // namespace tessary::cli
