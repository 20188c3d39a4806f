#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "commands.h"
#include "frame/failure.h"
#include "support/message_printer.h"

namespace tessary::cli {
namespace {

int status = 0;

void report(const char* command, const std::string& text) {
  std::fputs(commandFailureLine(command, text).c_str(), stderr);
  status = 1;
}

}  // namespace

void runCommand(const char* command, const std::function<void()>& work) {
  try {
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
