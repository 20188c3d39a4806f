#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "support/expression_run.h"

namespace tessary::cli {

void addEvalCommand(CLI::App& app) {
  auto options = std::make_shared<EvalOptions>();
  auto* command = app.add_subcommand("eval", "Evaluate an expression over a data set");
  command->add_option("DATA", options->data, "The data set (.daH or .daA)")->required();
  command->add_option("EXPR", options->expression, "The expression")->required();
  command->add_option("--level", options->level, "0 households, 1 clusters, 2 auxiliary");
  command->add_option("--filter", options->filter, "Keep the records where this is exactly 1");
  addWeightOptions(*command, options->weight);
  command->add_option("--by", options->by, "Summarise per value of this variable or expression");
  command->add_option("--digits", options->digits, "Significant digits of the summaries (6)");
  command->add_option("--save", options->save, "Store the result as this household variable");
  command->add_flag("--replace", options->replace, "Let --save replace an existing variable");
  command->add_flag("--explain", options->explain, "Print the postfix form");
  command->footer(
      "The expression language (operators, functions, rules, aggregates, lookup "
      "tables, missing values) is described in README.md, section \"Expression "
      "language\". Functions and their parameter counts:\n" +
      functionList());
  command->callback(
      [options] { runCommand("eval", [&] { std::fputs(runEval(*options).c_str(), stdout); }); });
}

}  // namespace tessary::cli
