#include "support/fit_run.h"

#include <cmath>

#include "common/project.h"
#include "data/staging_directory.h"
#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/directories.h"
#include "platform/file.h"
#include "platform/text.h"
#include "regression/regression_data.h"
#include "support/fit_directory.h"
#include "support/fit_report.h"
#include "support/output_file.h"

namespace tessary::cli {
namespace {

void checkOptions(const FitOptions& o) {
  if (o.project.empty() == o.survey.empty())
    raiseFailure("give a project file or --survey with --vars, not both");
  if (!o.survey.empty() && o.variables.empty()) raiseFailure("--survey needs --vars");
  if (!o.project.empty() && !o.variables.empty())
    raiseFailure("--vars goes with --survey; a project file selects its own variables");
  if (o.lhs.empty()) raiseFailure("give the dependent variable, log welfare (--lhs)");
  if (!o.use.empty() && o.method != "ols") raiseFailure("--use goes with --method ols");
  for (double level : {o.entry, o.stay})
    if (!(level > 0 && level < 1)) raiseFailure("--entry and --stay lie between 0 and 1");
  if (o.out.empty()) raiseFailure("give the directory to write (--out)");
}

std::string joined(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items)
    out += (out.empty() ? "" : ",") + item;
  return out;
}

// The project file of --survey and --vars, each variable at the level that holds it.
std::string writeProject(const FitOptions& o, const StagingDirectory& staging) {
  RegressionData survey;
  survey.open(o.survey);
  std::vector<std::string> levels;
  for (const std::string& name : o.variables) {
    const auto found = survey.find(upperCase(name));
    if (!found) raiseFailure(o.survey + ": no variable " + upperCase(name));
    levels.push_back(std::to_string(found->level));
  }
  const std::string path = staging.file("project.ini");
  writeOutputFile(path,
                  "[PROJECT]\nMaskFile=project.gmk\n[DataArray]\nSurvey=" + absolutePath(o.survey) +
                      "\n[SelectedVars]\nNumber=" + std::to_string(o.variables.size()) +
                      "\nVarList=" + joined(o.variables) + "\nSPosition=" + joined(levels) + "\n");
  return path;
}

FitPlan planOf(const FitOptions& o, const StagingDirectory& staging) {
  FitPlan plan;
  plan.project = o.project.empty() ? writeProject(o, staging) : o.project;
  plan.projectShown = o.project.empty() ? o.out + "/project.ini" : o.project;
  CProject project;
  project._init(plan.project);
  if (!project.projectReady()) raiseFailure("cannot read the project " + plan.project);
  if (project.surveyPath.empty())
    raiseFailure(plan.project + " names no survey ([DataArray] Survey)");
  plan.survey = project.surveyPath;
  plan.lhs = o.lhs;
  plan.method = fitMethodNamed(o.method, "--method");
  if (o.alphaMethod == "none")
    plan.alphaMethod.reset();
  else
    plan.alphaMethod = fitMethodNamed(o.alphaMethod, "--alpha-method");
  plan.use = o.use;
  plan.entry = o.entry;
  plan.stay = o.stay;
  plan.work = staging.path();
  return plan;
}

FitOutcome fitStages(FitPlan plan) {
  FitOutcome fit;
  fit.plan = std::move(plan);
  fit.welfare = fitWelfareModel(fit.plan);
  fit.location = estimateLocationEffect(fit.welfare);
  if (fit.plan.alphaMethod)
    fit.alpha = fitAlphaModel(fit.plan, fit.welfare, fit.location, fit.variances);
  else
    fit.variances = commonVariances(fit.welfare, fit.location);
  fit.gls = adjustByGls(fit.plan, fit.welfare, fit.location, fit.variances);
  return fit;
}

// Writes the fit's own files into the staging directory; returns the names to publish.
std::vector<std::string> writeFitFiles(const FitOutcome& fit, const FitOptions& o,
                                       const StagingDirectory& staging) {
  const FittedModel model = fittedModelOf(fit);
  writeOutputFile(staging.file("model.json"), fittedModelJson(model));
  writeOutputFile(staging.file(kEmpiricalFile), empiricalErrorsJson(*model.empirical));
  writeOutputFile(staging.file("report.txt"), fitReportText(fit));
  HtmlPage page("tessary fit: " + fit.plan.lhs);
  addModelSection(page, readFitDirectory(staging.path()));
  writeOutputFile(staging.file("report.html"), page.text());
  std::vector<std::string> files;
  for (const std::string& name : kFitFiles)
    if (name != "alpha.mdl" || fit.alpha) files.push_back(name);
  if (o.project.empty()) files.push_back("project.ini");
  return files;
}

}  // namespace

std::string runFit(const FitOptions& options) {
  checkOptions(options);
  const TraceChoice trace(options.verbose);
  const StagingDirectory staging(options.out, "fit");
  const FitOutcome fit = fitStages(planOf(options, staging));
  staging.publishInto(options.out, writeFitFiles(fit, options, staging));
  const LocationEffect& location = fit.location.effect;
  return formatText(
      "Fitted %s on %d households in %zu clusters: %zu regressors (%s), R2 %s; sigEta2 %s "
      "(s.e. %s); %s; written to %s",
      fit.plan.lhs.c_str(), fit.welfare.sample.included, fit.welfare.clusters.counts.size(),
      fit.welfare.model.regressors.size(), fitMethodName(fit.plan.method),
      formatFixed(fit.welfare.model.r2, 4, 10).c_str(),
      formatFixed(location.sigEta2, 5, 12).c_str(),
      formatFixed(std::sqrt(location.variance), 5, 12).c_str(),
      fit.alpha ? formatText("alpha model of %zu regressors", fit.alpha->equation.regressors.size())
                      .c_str()
                : "no alpha model",
      options.out.c_str());
}

}  // namespace tessary::cli
