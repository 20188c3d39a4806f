#include <cstdio>
#include <memory>

#include "commands.h"
#include "support/simulation_merge.h"
#include "support/simulation_run.h"

namespace tessary::cli {
namespace {

constexpr const char* kSimulateHelp = R"help(
In each replication the coefficients of the welfare and alpha models and the cluster
effect variance are drawn from their sampling distributions; every census cluster gets
an effect eta ~ N(0, sigEta2_r) and every household an error eps ~ N(0, sigma2_eps) with
sigma2_eps from the alpha model at its census values; welfare = exp(x beta_r + eta +
eps). With --errors empirical, eta is drawn from the model's estimated cluster effects
and eps from its standardised household residuals (scaled by sigma_eps). Areas are the
cluster identifier of the census's cluster level without its last D digits, for each D
of --area-digits. Per area and replication: mean welfare and FGT0, FGT1, FGT2 at
--line, weighted by --persons (or per household); the estimate is their mean over the
replications, its standard error their standard deviation.

Draws are numbered by seed, replication and cluster or household, so the results do not
depend on --threads, and the partitions of --partition i/n (whole areas of the coarsest
level), combined by `tessary merge`, equal the run without partitions byte for byte.

Example:
  tessary simulate --model fit/model.json --census census.daA --reps 100 --seed 7
                   --line 900 --persons SIZE --area-digits 2,4 --out sim
writes sim/estimates.csv and sim/estimates.json (areas at 2 digits dropped) and
sim/estimates-4.csv and sim/estimates-4.json, with the columns area, households,
persons, mean, mean_se, fgt0, fgt0_se, fgt1, fgt1_se, fgt2, fgt2_se.

In 4 partitions on one machine with GNU parallel, then merged:
  parallel tessary simulate --model fit/model.json --census census.daA --seed 7
           --line 900 --area-digits 2 --partition {}/4 --out part{} ::: 1 2 3 4
  tessary merge part1 part2 part3 part4 --out sim
)help";

constexpr const char* kMergeHelp = R"help(
Every directory must hold the output of `tessary simulate --partition i/n` of one run
(same model, census and options), each i from 1 to n exactly once. The merged
estimates equal those of the run without --partition, byte for byte.

Example:
  tessary merge part1 part2 part3 part4 --out sim
)help";

}  // namespace

void addSimulateCommand(CLI::App& app) {
  auto options = std::make_shared<SimulateOptions>();
  auto* command = app.add_subcommand(
      "simulate", "Carry a fitted welfare model to the census: per-area estimates by simulation");
  command->footer(kSimulateHelp);
  command->add_option("--model", options->model, "The fitted model (model.json)")->required();
  command->add_option("--census", options->census, "The census (.daA)")->required();
  command->add_option("--reps", options->replications, "Replications (default 100)");
  command->add_option("--seed", options->seed, "Seed of the random draws")->required();
  command->add_option("--line", options->line, "Poverty line")->required();
  command->add_option("--persons", options->persons, "Household size: estimates per person");
  command
      ->add_option("--area-digits", options->areaDigits,
                   "Areas: cluster identifiers without their last D digits (D,D,...)")
      ->delimiter(',')
      ->required();
  command->add_option("--cluster", options->cluster,
                      "Cluster identifier, at the cluster level (default: the header's)");
  command->add_option("--out", options->out, "The directory to write")->required();
  command->add_option("--partition", options->partition, "Only partition i of n (i/n)");
  command->add_option("--errors", options->errors, "normal (default) or empirical");
  command->callback([options] {
    runCommand("simulate", [&] { std::printf("%s\n", runSimulate(*options).c_str()); });
  });
}

void addMergeCommand(CLI::App& app) {
  auto options = std::make_shared<MergeOptions>();
  auto* command = app.add_subcommand("merge", "Combine the partitions of a simulation");
  command->footer(kMergeHelp);
  command->add_option("DIRS", options->inputs, "The partitions' output directories")->required();
  command->add_option("--out", options->out, "The directory to write")->required();
  command->callback(
      [options] { runCommand("merge", [&] { std::printf("%s\n", runMerge(*options).c_str()); }); });
}

}  // namespace tessary::cli
