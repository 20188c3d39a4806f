#include <cstdio>
#include <exception>
#include <string>

#include "commands.h"
#include "frame/failure.h"

namespace tessary::cli {
namespace {

int status = 0;

void report(const char* command, std::string text) {
  while (!text.empty() && text.back() == '\n')
    text.pop_back();
  std::fprintf(stderr, "tessary %s: %s\n", command, text.c_str());
  status = 1;
}

}  // namespace

void runCommand(const char* command, const std::function<void()>& work) {
  try {
    work();
  } catch (const Failure& failure) {
    report(command, failure.text());
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
