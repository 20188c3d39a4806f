// tessary: the command-line face of the library.
#include <CLI/CLI.hpp>

#include "commands.h"

int main(int argc, char** argv) {
  CLI::App app{"tessary: small-area estimation of household welfare"};
  app.require_subcommand(1);
  tessary::cli::addVersionCommand(app);
  tessary::cli::addDemoCommand(app);
  CLI11_PARSE(app, argc, argv);
  return 0;
}
