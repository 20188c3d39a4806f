#include <cstdio>
#include <exception>
#include <iostream>
#include <new>
#include <string>

#include "commands.h"
#include "frame/failure.h"
#include "frame/trace.h"
#include "platform/parallel_threads.h"
#include "platform/text.h"
#include "support/message_printer.h"

namespace tessary::cli {
namespace {

int status = 0;
int requestedThreads = 0;  // 0: TESSARY_THREADS or every hardware thread

void report(const char* command, const std::string& text) {
  std::fputs(commandFailureLine(command, text).c_str(), stderr);
  status = 1;
}

}  // namespace

void addThreadsOption(CLI::App& app) {
  app.add_option("--threads", requestedThreads,
                 "Threads for the work over records (default: TESSARY_THREADS or all); "
                 "results do not depend on it")
      ->check(CLI::Range(1, kMaxThreads));
  // Given after the command's name too.
  app.fallthrough();
}

void runCommand(const char* command, const std::function<void()>& work) {
  try {
    if (requestedThreads != 0) setThreadCount(requestedThreads);
    work();
  } catch (const Failure& failure) {
    report(command, describeFailure(failure));
  } catch (const std::bad_alloc&) {
    report(command, "not enough memory to finish");
  } catch (const std::exception& error) {
    report(command, error.what());
  } catch (const char* text) {
    report(command, text);
  }
}

int exitStatus() {
  return status;
}

void addWeightOptions(CLI::App& command, WeightChoice& choice) {
  command.add_option("--weight", choice.name,
                     "The weight variable or expression (default: the one stored at import)");
  command.add_flag("--unweighted", choice.unweighted, "Weigh every record 1");
}

void addVerboseFlags(CLI::App& app) {
  for (CLI::App* command : app.get_subcommands({})) {
    if (command->get_option_no_throw("--verbose") == nullptr)
      command->add_flag_callback(
          "--verbose", [] { setTraceStream(&std::cout); }, "Print the library's trace lines");
    addVerboseFlags(*command);
  }
}

int reportUsageError(const CLI::App& app, const CLI::ParseError& error) {
  // The innermost command given names the line ("model build").
  std::string command;
  const CLI::App* innermost = &app;
  for (const CLI::App* at = &app; at != nullptr;) {
    const std::vector<CLI::App*> given = at->get_subcommands();
    at = given.empty() ? nullptr : given.front();
    if (at != nullptr) command += (command.empty() ? "" : " ") + at->get_name(), innermost = at;
  }
  // A word where a command belongs names none (CLI11 says only that one is missing).
  std::string what = joinLines(error.what());
  const std::vector<std::string> rest = app.remaining();
  if (innermost->get_require_subcommand_min() > 0 && innermost->get_subcommands().empty() &&
      !rest.empty() && rest.front().rfind('-', 0) != 0)
    what = "no command " + rest.front();
  const std::string line = command.empty() ? "tessary: " + what + " (see tessary --help)\n"
                                           : commandFailureLine(command.c_str(), what);
  std::fputs(line.c_str(), stderr);
  return 1;
}

}  // namespace tessary::cli
