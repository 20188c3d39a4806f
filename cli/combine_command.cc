#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "data/combine.h"

namespace tessary::cli {

void addCombineCommand(CLI::App& app) {
  auto options = std::make_shared<CombineOptions>();
  auto* command = app.add_subcommand(
      "combine", "Tie a household and a cluster data array into a combined data array (.daA)");
  command->add_option("--households", options->households, "The household data array")->required();
  command->add_option("--clusters", options->clusters, "The cluster data array")->required();
  command->add_option("--key", options->key, "The cluster key, present in both")->required();
  command->add_option("--out", options->out, "The combined data array to write, NAME.daA")
      ->required();
  command->add_option("--amplifier", options->amplifier,
                      "Household key = cluster number x amplifier + household number");
  auto* aux = command->add_option("--aux", options->auxiliary, "An auxiliary (coarser) data array");
  command
      ->add_option("--aux-key", options->auxiliaryKey,
                   "The key shared by the clusters and the auxiliary level")
      ->needs(aux);
  aux->needs(command->get_option("--aux-key"));
  command->add_flag("--sort", options->sort,
                    "Sort each level's records by its key first (rewrites the data arrays "
                    "out of order) instead of refusing them");
  command->callback([options] {
    runCommand("combine", [&] {
      const CombineReport report = combineDataSets(*options);
      for (const std::string& sorted : report.sorted)
        std::printf("Sorted %s\n", sorted.c_str());
      std::printf(
          "Wrote %s: %zu cluster entries (%zu clusters without households, %llu "
          "households without a cluster)",
          report.daaPath.c_str(), report.clusterEntries, report.clustersWithoutHouseholds,
          static_cast<unsigned long long>(report.householdsWithoutCluster));
      if (!options->auxiliary.empty())
        std::printf(", %zu auxiliary entries", report.auxiliaryEntries);
      std::printf("\n");
    });
  });
}

}  // namespace tessary::cli
