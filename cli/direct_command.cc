#include <cstdio>
#include <memory>

#include "commands.h"
#include "support/direct_run.h"

namespace tessary::cli {
namespace {

constexpr const char* kExample = R"help(
Areas are the values of --by, or the cluster identifier without its last --area-digits
digits. Every figure is weighted by the weight times --persons (households count when
it is not given); standard errors linearise the ratios with clusters as primary
sampling units drawn with replacement, within strata when --strata is given (a stratum
with one cluster adds its cluster's squared total). Households missing a value, or not
kept by --filter (kept where it is exactly 1), stay in the design but in no area.

Example, on the synthetic survey of `tessary demo` (weighted by its stored WEIGHT):
  tessary direct DIR/survey.daA --welfare "EXP(LNWELFARE)" --cluster CLUSTER
                 --persons SIZE --line 900 --by DISTRICT --out direct
writes direct/estimates.csv and direct/estimates.json with the columns area,
households, persons, mean, mean_se, fgt0, fgt0_se, fgt1, fgt1_se, fgt2, fgt2_se.
)help";

}  // namespace

void addDirectCommand(CLI::App& app) {
  auto options = std::make_shared<DirectOptions>();
  auto* command =
      app.add_subcommand("direct", "Direct survey estimates per area with design-based errors");
  command->footer(kExample);
  command->add_option("DATA", options->data, "The survey (.daH, or .daA at households)")
      ->required();
  command->add_option("--welfare", options->welfare, "Welfare per person")->required();
  command->add_option("--weight", options->weight, "Sampling weight (default: the stored one)");
  command->add_flag("--unweighted", options->unweighted, "Ignore the stored weight");
  command->add_option("--cluster", options->cluster, "Cluster identifier")->required();
  command->add_option("--strata", options->strata, "Stratum identifier");
  command->add_option("--line", options->line, "Poverty line")->required();
  command->add_option("--persons", options->persons, "Household size: estimates per person");
  command->add_option("--filter", options->filter, "Keep the households where this is 1");
  command->add_option("--by", options->by, "Areas are the values of this");
  command->add_option("--area-digits", options->areaDigits,
                      "Areas are cluster identifiers without their last N digits");
  command->add_option("--out", options->out, "The directory to write")->required();
  command->callback([options] {
    runCommand("direct", [&] { std::printf("%s\n", runDirect(*options).c_str()); });
  });
}

}  // namespace tessary::cli
