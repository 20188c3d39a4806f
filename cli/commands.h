// The subcommands of the tessary tool. Each registers itself on the application and
// runs through the library's own operations.
#pragma once

#include <functional>

#include <CLI/CLI.hpp>

#include "support/weight_choice.h"

namespace tessary::cli {

void addVersionCommand(CLI::App& app);
void addDemoCommand(CLI::App& app);
void addImportCommand(CLI::App& app);
void addCombineCommand(CLI::App& app);
void addInfoCommand(CLI::App& app);
void addExportCommand(CLI::App& app);
void addEvalCommand(CLI::App& app);
void addXtabCommand(CLI::App& app);
void addDirectCommand(CLI::App& app);
void addShapeCommand(CLI::App& app);
void addMapCommand(CLI::App& app);
void addModelCommand(CLI::App& app);
void addFitCommand(CLI::App& app);
void addSimulateCommand(CLI::App& app);
void addMergeCommand(CLI::App& app);
void addReportCommand(CLI::App& app);

// The tool's --threads option, which runCommand applies before every command's work.
void addThreadsOption(CLI::App& app);

// Runs a command's work; a failure is printed as "tessary <command>: <text>" on
// standard error and makes the tool's exit status 1.
void runCommand(const char* command, const std::function<void()>& work);

// The exit status the commands leave.
int exitStatus();

// --weight NAME and --unweighted of a command that weighs its records.
void addWeightOptions(CLI::App& command, WeightChoice& choice);

// Gives every command a --verbose flag that lets the library's trace lines through to
// standard output.
void addVerboseFlags(CLI::App& app);

// Prints a usage error as one line, "tessary <command>: <what CLI11 says>", on standard
// error and returns the exit status 1.
int reportUsageError(const CLI::App& app, const CLI::ParseError& error);

}  // namespace tessary::cli
