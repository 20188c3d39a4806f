#include <cstdio>

#include "commands.h"
#include "tessary.h"

namespace tessary::cli {

void addVersionCommand(CLI::App& app) {
  auto* command = app.add_subcommand("version", "Print the library version");
  command->callback([] {
    char buffer[4];
    std::printf("%s\n", RgVersion(buffer));
  });
}

}  // namespace tessary::cli
