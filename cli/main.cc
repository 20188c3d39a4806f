// tessary: the command-line face of the library.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "frame/trace.h"
#include "platform/directories.h"
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
  tessary::cli::addFitCommand(app);
  tessary::cli::addSimulateCommand(app);
  tessary::cli::addMergeCommand(app);
  tessary::cli::addReportCommand(app);
  tessary::cli::addDemoCommand(app);
  tessary::cli::addVerboseFlags(app);
  tessary::cli::installMessagePrinter();
  // The library's progress lines reach the terminal only with --verbose.
  tessary::setTraceStream(nullptr);
  // This run's own "EvalResult.tbl", "EvalResult.lbl" and "Tarvex.err", removed at exit.
  tessary::PrivateTemporaryDirectory temporary("tessary-run-");
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& done) {
    return app.exit(done);  // --help
  } catch (const CLI::ParseError& error) {
    return tessary::cli::reportUsageError(app, error);
  }
  return tessary::cli::exitStatus();
}
