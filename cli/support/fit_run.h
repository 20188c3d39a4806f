// `tessary fit`: the welfare model of a survey and its error components (see
// fit_stages.h), written into a directory that appears only when every file is
// complete: model.json and empirical.json (what `tessary simulate` reads, see
// fitted_model.h), the library's model files welfare.mdl and alpha.mdl, report.txt and
// report.html; with --survey and --vars instead of a project file, also the project
// file made of them, project.ini.
#pragma once

#include <string>
#include <vector>

namespace tessary::cli {

struct FitOptions {
  std::string project;                 // the project file, or
  std::string survey;                  // the survey (.daA) with
  std::vector<std::string> variables;  // the candidate variables
  std::string lhs;                     // log welfare: a variable or an expression
  std::string method = "stepwise";
  std::string alphaMethod = "stepwise";  // or "none"
  std::vector<std::string> use;          // the regressors of an OLS fit
  double entry = 0.05;
  double stay = 0.05;
  std::string out;
  bool verbose = false;  // the library's trace lines on standard output
};

// Writes the files and returns the summary line (without a line feed).
std::string runFit(const FitOptions& options);

}  // namespace tessary::cli
