#include <cstdio>

#include "commands.h"
#include "tessary.h"

namespace tessary::cli {

void addVersionCommand(CLI::App& app) {
  auto* command = app.add_subcommand("version", "Print the tool's and the library's versions");
  command->callback([] {
    char buffer[4];
    std::printf("tessary %s (library version %s)\n", TESSARY_TOOL_VERSION, RgVersion(buffer));
  });
}

}  // namespace tessary::cli
