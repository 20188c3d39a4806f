#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "support/data_set_info.h"

namespace tessary::cli {

void addInfoCommand(CLI::App& app) {
  auto path = std::make_shared<std::string>();
  auto* command =
      app.add_subcommand("info", "Describe a data array (.daH) or combined data array (.daA)");
  command->add_option("DATA", *path, "The data set")->required();
  command->callback(
      [path] { runCommand("info", [&] { std::fputs(describeDataSet(*path).c_str(), stdout); }); });
}

}  // namespace tessary::cli
