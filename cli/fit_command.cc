// `tessary fit`: the welfare model of a survey and its error components, ready for
// `tessary simulate`.
#include <cstdio>
#include <memory>

#include "commands.h"
#include "support/fit_run.h"

namespace tessary::cli {
namespace {

constexpr const char* kHelp = R"help(
Fits the welfare model of log welfare (--lhs, a variable or an expression such as
"LOG(WELFARE)") on the survey the project names, with the project's selected variables
(or --survey and --vars) as candidates: OLS or forward, stepwise or backward selection;
then the cluster (location) effect's variance sigma2_eta and its sampling variance from
the residuals, the alpha model of the household error variance (its own selection,
White covariance), and the GLS adjustment of the coefficients with errors correlated
within clusters (sandwich covariance). Clusters are the survey's household identifier
divided by the data reference's amplifier (tessary combine --amplifier).

Writes, into --out (created; nothing is written when a stage fails):
  model.json      what tessary simulate reads: GLS coefficients and their covariance
                  root, the alpha model, sigEta2 and sigEta2Var, the survey sample
  empirical.json  the clusters' mean residuals and the standardised household
                  residuals (for tessary simulate --errors empirical)
  welfare.mdl, alpha.mdl  the library's model files (tessary model show)
  report.txt, report.html  every stage: the selection steps, the location effect, the
                  alpha model, OLS against GLS coefficients

Example (the data of `tessary demo --dir demo`):
  tessary fit demo/project.ini --lhs LNWELFARE --method stepwise --out demo/fit
  tessary fit --survey demo/survey.daA --vars SIZE,ROOMS,EDUC,ELECTRICITY,CL_URBAN \
              --lhs LNWELFARE --method ols --out fit2
)help";

}  // namespace

void addFitCommand(CLI::App& app) {
  auto options = std::make_shared<FitOptions>();
  auto* command = app.add_subcommand(
      "fit", "Fit the welfare model and its error components on a survey (model.json)");
  command->footer(kHelp);
  command->add_option("PROJECT", options->project, "The project file (INI)");
  command->add_option("--survey", options->survey, "The survey (.daA), instead of a project");
  command->add_option("--vars", options->variables, "The candidate variables (with --survey)")
      ->delimiter(',');
  command->add_option("--lhs", options->lhs, "Log welfare: a variable or an expression")
      ->required();
  command->add_option("--method", options->method, "ols, forward, stepwise (default) or backward");
  command->add_option("--alpha-method", options->alphaMethod,
                      "The alpha model's: ols, forward, stepwise (default), backward or none");
  command->add_option("--use", options->use, "With --method ols: the regressors (default all)")
      ->delimiter(',');
  command->add_option("--entry", options->entry, "Significance level for entry (default 0.05)");
  command->add_option("--stay", options->stay, "Significance level to stay (default 0.05)");
  command->add_option("--out", options->out, "The directory to write")->required();
  command->add_flag("--verbose", options->verbose, "Print the library's trace lines");
  command->callback(
      [options] { runCommand("fit", [&] { std::printf("%s\n", runFit(*options).c_str()); }); });
}

}  // namespace tessary::cli
