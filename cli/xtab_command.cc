#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "support/cross_table_run.h"
#include "support/output_file.h"

namespace tessary::cli {
namespace {

struct XtabArguments {
  XtabOptions options;
  std::string format = "html";
  std::string out;
};

}  // namespace

void addXtabCommand(CLI::App& app) {
  auto arguments = std::make_shared<XtabArguments>();
  XtabOptions& o = arguments->options;
  auto* command = app.add_subcommand("xtab", "Tabulate a data set into an HTML page or a CSV file");
  command->add_option("DATA", o.data, "The data set (.daH or .daA)")->required();
  command->add_option("--level", o.level, "0 households, 1 clusters, 2 auxiliary");
  command->add_option("--filter", o.filter, "Keep the records where this is exactly 1");
  addWeightOptions(*command, o.weight);
  command->add_option("--vars", o.variables, "Summarise these variables")->delimiter(',');
  command->add_option("--rows", o.rows, "The row formula of a table");
  command->add_option("--cols", o.columns, "The column formula of a two-way table");
  command->add_option("--of", o.of, "The analysis expression of a table");
  command->add_option("--stats", o.statistics, "count, mean, std, min, max, row%, col%, total%")
      ->delimiter(',');
  command->add_flag("--per-line", o.statisticPerLine, "One line per statistic in two-way tables");
  command->add_option("--format", arguments->format, "html (default), csv or tsv");
  command->add_option("--bins", o.bins, "About this many intervals for a continuous row variable");
  command->add_flag("--hide-empty", o.hideEmpty, "Leave out the rows without records");
  command->add_flag("--compat", o.compat,
                    "The CrossTabulate export's numbers and page, byte for byte (integer "
                    "weighted counts)");
  command->add_option("--out", arguments->out, "The file to write, - for standard output")
      ->required();
  command->callback([arguments] {
    runCommand("xtab", [&] {
      XtabOptions& options = arguments->options;
      options.format = tableFormat(arguments->format);
      finishReport(arguments->out, tabulate(options, true), options.format);
      std::fprintf(reportStream(arguments->out), "Wrote %s\n", arguments->out.c_str());
    });
  });
}

}  // namespace tessary::cli
