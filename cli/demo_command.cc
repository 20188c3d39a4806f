// The first run: a synthetic census and survey, and what the library does with them.
#include <cstdio>
#include <memory>

#include "commands.h"
#include "support/demo_run.h"
#include "support/progress_bar.h"

namespace tessary::cli {

void addDemoCommand(CLI::App& app) {
  auto options = std::make_shared<DemoOptions>();
  auto* command =
      app.add_subcommand("demo", "Generate a synthetic census and survey and analyse them");
  command->add_option("--dir", options->directory,
                      "Where to write the data (default: a new temporary directory)");
  command->add_option("--households", options->households, "Census households (default 200000)")
      ->check(CLI::Range(50u, 50000000u));
  command->add_option("--seed", options->seed, "Random seed (default 1)");
  command->callback([options] {
    runCommand("demo", [&] {
      ProgressBar bar("Generating", 1000);
      const std::string text = runDemo(*options, [&](std::uint64_t done, std::uint64_t total) {
        bar.update(total == 0 ? 1000 : done * 1000 / total);
      });
      bar.finish();
      std::fputs(text.c_str(), stdout);
    });
  });
}

}  // namespace tessary::cli
