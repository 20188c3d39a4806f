// The tool's message handler: every message box of the library becomes one
// "caption: text" line on standard error.
#pragma once

#include <string>

namespace tessary::cli {

// The text printed for one message, ending in a line feed.
std::string messageLine(const char* caption, const char* text);

// Installs the printer through TessarySetMessageHandler.
void installMessagePrinter();

}  // namespace tessary::cli
