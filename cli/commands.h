// The subcommands of the tessary tool. Each registers itself on the application and
// runs through the library's own operations.
#pragma once

#include <CLI/CLI.hpp>

namespace tessary::cli {

void addVersionCommand(CLI::App& app);
void addDemoCommand(CLI::App& app);

}  // namespace tessary::cli
