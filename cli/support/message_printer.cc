#include "support/message_printer.h"

#include <cstdio>

#include "platform/presenter.h"
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

std::string messageLine(const char* caption, const char* text) {
  std::string line = caption != nullptr ? caption : "";
  line += ": ";
  line += text != nullptr ? text : "";
  if (line.back() != '\n') line += '\n';
  return line;
}

void installMessagePrinter() {
  TessarySetMessageHandler(&printMessage);
}

}  // namespace tessary::cli
