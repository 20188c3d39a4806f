// tessary: the command-line face of the library.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "support/message_printer.h"

int main(int argc, char** argv) {
  CLI::App app{"tessary: small-area estimation of household welfare"};
  app.require_subcommand(1);
  tessary::cli::addThreadsOption(app);
  tessary::cli::addVersionCommand(app);
  tessary::cli::addImportCommand(app);
  tessary::cli::addCombineCommand(app);
  tessary::cli::addInfoCommand(app);
  tessary::cli::addExportCommand(app);
  tessary::cli::addEvalCommand(app);
  tessary::cli::addXtabCommand(app);
  tessary::cli::addDirectCommand(app);
  tessary::cli::addShapeCommand(app);
  tessary::cli::addMapCommand(app);
  tessary::cli::addModelCommand(app);
  tessary::cli::addSimulateCommand(app);
  tessary::cli::addMergeCommand(app);
  tessary::cli::addDemoCommand(app);
  tessary::cli::installMessagePrinter();
  CLI11_PARSE(app, argc, argv);
  return tessary::cli::exitStatus();
}
