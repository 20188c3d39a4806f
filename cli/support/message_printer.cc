#include "support/message_printer.h"

#include <algorithm>
#include <cstdio>

#include "platform/presenter.h"
#include "platform/text.h"
#include "tessary.h"

namespace tessary::cli {
namespace {

int printMessage(void*, const char* text, const char* caption, unsigned int style) {
  std::fputs(messageLine(caption, text).c_str(), stderr);
  std::fflush(stderr);
  // Nobody can answer a question here: take the button a dialog would focus first.
  return defaultButton(style);
}

}  // namespace

std::string describeFailure(const Failure& failure) {
  if (failure.systemError() == 0 || failure.path().empty()) return failure.text();
  return failure.path() + ": " + systemErrorText(failure.systemError());
}

std::string commandFailureLine(const char* command, std::string_view text) {
  return "tessary " + std::string(command) + ": " + joinLines(text) + "\n";
}

std::string messageLine(const char* caption, const char* text) {
  std::string line = caption != nullptr ? caption : "";
  line += ": ";
  line += joinLines(text != nullptr ? text : "");
  return line + '\n';
}

void installMessagePrinter() {
  TessarySetMessageHandler(&printMessage);
}

}  // namespace tessary::cli
