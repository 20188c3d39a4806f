// `tessary report`: the HTML page of a poverty map.
#include <cstdio>
#include <memory>

#include "commands.h"
#include "support/poverty_report.h"

namespace tessary::cli {
namespace {

constexpr const char* kHelp = R"help(
One self-contained HTML page: the maps of the model-based headcount ratio (FGT0) and of
its coefficient of variation over the areas of --shapes (a standard shape file whose
GIDs are the area codes), the model-based estimates of --simulate beside the direct
estimates of --direct area by area, with their standard errors, and the welfare model of
--fit (its statistics, OLS and GLS coefficients, alpha model and the report of every
stage). Areas are matched by their code.

Example (the pipeline of `tessary demo --dir demo`):
  tessary report --fit demo/fit --simulate demo/simulate --direct demo/direct \
                 --shapes demo/districts --out demo/report.html
)help";

}  // namespace

void addReportCommand(CLI::App& app) {
  auto options = std::make_shared<ReportOptions>();
  auto* command =
      app.add_subcommand("report", "One HTML page: maps, model-based and direct estimates, model");
  command->footer(kHelp);
  command->add_option("--fit", options->fit, "A tessary fit directory");
  command->add_option("--simulate", options->simulate,
                      "A tessary simulate directory (or its .json file)");
  command->add_option("--direct", options->direct,
                      "A tessary direct directory (or its estimates.json)");
  command->add_option("--shapes", options->shapes, "Standard shape file of the areas");
  command->add_option("--title", options->title, "The page's title (default: Poverty map)");
  command->add_option("--out", options->out, "The page to write (.html)")->required();
  command->callback([options] {
    runCommand("report", [&] { std::printf("%s\n", runReport(*options).c_str()); });
  });
}

}  // namespace tessary::cli
