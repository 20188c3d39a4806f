#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "commands.h"
#include "frame/failure.h"
#include "platform/parallel_threads.h"
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

}  // namespace tessary::cli
