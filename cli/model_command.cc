// `tessary model build|ols|forward|stepwise|backward|show`: regression models of a
// project's survey through the library's exports (buildModelFromCombinedDataset,
// makeSSCP, OLSRegression and the selection exports).
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "common/project.h"
#include "frame/failure.h"
#include "platform/directories.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "regression/model_summary.h"
#include "regression/regression.h"
#include "support/model_fitting.h"
#include "tessary.h"

namespace tessary::cli {
namespace {

constexpr const char* kExample = R"(Example (the survey of `tessary demo --dir demo`):
  $ printf '[DataArray]\nSurvey=survey.daA\n[SelectedVars]\nVarList=SIZE,ROOMS,EDUC,CL_ELECTRICITY\nSPosition=0,0,0,1\n' > demo/survey.ini
  $ tessary model build demo/survey.ini demo/welfare.mdl --lhs LNWELFARE
  $ tessary model ols demo/survey.ini demo/welfare.mdl --use SIZE,ROOMS,EDUC_2,EDUC_3,EDUC_4,CL_ELECTRICITY
  $ tessary model stepwise demo/survey.ini demo/welfare.mdl --entry 0.01 --stay 0.01
  $ tessary model show demo/welfare.mdl
)";

struct ModelOptions {
  std::string project;
  std::string model;
  std::string lhs;
  int yhat = 0;
  std::vector<std::string> use;
  std::string report;
  bool oneStep = false;
  std::optional<double> entry;
  std::optional<double> stay;
};

void runBuild(const ModelOptions& options) {
  const std::int32_t records = buildModelFromCombinedDataset(
      options.project.c_str(), options.model.c_str(), options.lhs.c_str(), options.yhat);
  if (records < 0) raiseFailure("the model file was not built");
  Regression model;
  readModelFile(model, options.model);
  std::printf("Wrote %s: %d candidate regressors for %s from %d records\n", options.model.c_str(),
              model.numOfRgrs, model.LHS.c_str(), records);
  std::fputs(modelSummary(model).c_str(), stdout);
}

std::string surveyOf(const ModelOptions& options) {
  CProject project;
  project._init(options.project);
  if (!project.projectReady()) raiseFailure("cannot read the project " + options.project);
  return project.surveyPath;
}

// The report of one OLS fit, written to `reportPath`.
void fitByOls(const ModelOptions& options, const std::string& reportPath) {
  if (!options.use.empty()) markRegressors(options.model, options.use);
  std::vector<double> sscp = sampleSscp(surveyOf(options), options.model);
  fitModelFile(FitMethod::kOls, options.model, sscp, reportPath);
}

// The step reports of one selection, written to `reportPath`.
void fitBySelection(const ModelOptions& options, const std::string& reportPath, FitMethod method) {
  if (options.entry || options.stay) {
    Regression model;
    readModelFile(model, options.model);
    model.slEntry = options.entry.value_or(model.slEntry);
    model.slStay = options.stay.value_or(model.slStay);
    writeModelFile(model, options.model);
  }
  std::vector<double> sscp = sampleSscp(surveyOf(options), options.model);
  fitModelFile(method, options.model, sscp, reportPath, options.oneStep);
}

// Runs a fit and prints its report, kept in a scratch file unless --report names one.
void runWithReport(const ModelOptions& options,
                   const std::function<void(const std::string&)>& fit) {
  std::string scratch;
  std::string reportPath = options.report;
  if (reportPath.empty()) {
    scratch = createUniqueDirectory(temporaryDirectory(), "tessary-model-");
    if (scratch.empty()) raiseFailure("cannot create a temporary directory");
    reportPath = scratch + "report.txt";
  }
  std::string report;
  try {
    fit(reportPath);
    readWholeFile(reportPath, report);
  } catch (...) {
    if (!scratch.empty()) removeDirectoryTree(scratch);
    throw;
  }
  if (!scratch.empty()) removeDirectoryTree(scratch);
  std::fputs(report.c_str(), stdout);
}

void runShow(const ModelOptions& options) {
  Regression model;
  readModelFile(model, options.model);
  std::printf("%s: ", options.model.c_str());
  std::fputs(modelSummary(model).c_str(), stdout);
}

}  // namespace

void addModelCommand(CLI::App& app) {
  auto options = std::make_shared<ModelOptions>();
  auto* model = app.add_subcommand("model", "Build, fit, select and show regression models");
  model->require_subcommand(1);
  model->footer(kExample);
  auto* build = model->add_subcommand(
      "build", "Build (or refresh) a model file from the project's selected variables");
  auto* ols = model->add_subcommand("ols", "Fit a model file by weighted least squares");
  std::vector<CLI::App*> fits{ols};
  for (const FitMethod method : {FitMethod::kForward, FitMethod::kStepwise, FitMethod::kBackward}) {
    const std::string name = fitMethodName(method);
    CLI::App* command = model->add_subcommand(
        name, "Choose the regressors of a model file by " + name + " selection");
    command->add_flag("--one-step", options->oneStep, "Stop after one addition or removal");
    command
        ->add_option("--entry", options->entry, "Significance level for entry (kept in the file)")
        ->check(CLI::Range(1e-12, 1.0));
    command->add_option("--stay", options->stay, "Significance level to stay (kept in the file)")
        ->check(CLI::Range(1e-12, 1.0));
    command->callback([options, name, method] {
      runCommand(("model " + name).c_str(), [&] {
        runWithReport(*options,
                      [&](const std::string& report) { fitBySelection(*options, report, method); });
      });
    });
    fits.push_back(command);
  }
  auto* show = model->add_subcommand("show", "Describe a model file");
  std::vector<CLI::App*> withProject = fits;
  withProject.push_back(build);
  for (CLI::App* command : withProject) {
    command->add_option("PROJECT", options->project, "The project file (INI)")->required();
    command->footer(kExample);
  }
  for (CLI::App* command : withProject)
    command->add_option("MODEL", options->model, "The model file")->required();
  show->add_option("MODEL", options->model, "The model file")->required();
  for (CLI::App* command : fits)
    command->add_option("--report", options->report, "Also append the report to this file");
  build->add_option("--lhs", options->lhs, "The dependent variable")->required();
  build->add_option("--yhat", options->yhat, "Powers of the predicted value among the candidates")
      ->check(CLI::Range(0, 2));
  ols->add_option("--use", options->use, "The regressors of the model (default: as marked)")
      ->delimiter(',');
  build->callback([options] { runCommand("model build", [&] { runBuild(*options); }); });
  ols->callback([options] {
    runCommand("model ols", [&] {
      runWithReport(*options, [&](const std::string& report) { fitByOls(*options, report); });
    });
  });
  show->callback([options] { runCommand("model show", [&] { runShow(*options); }); });
}

}  // namespace tessary::cli
