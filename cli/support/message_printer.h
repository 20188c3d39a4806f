// The tool's message handler: every message box of the library becomes one
// "caption: text" line on standard error.
#pragma once

#include <string>
#include <string_view>

#include "frame/failure.h"

namespace tessary::cli {

// What a person reads for a failure: for one the system reported on a file, the file
// and the system's words ("x.daD: No space left on device"), else its text.
std::string describeFailure(const Failure& failure);

// The line the tool prints for a failed command: "tessary <command>: " and the text
// as one line, ending in a line feed.
std::string commandFailureLine(const char* command, std::string_view text);

// The text printed for one message, ending in a line feed.
std::string messageLine(const char* caption, const char* text);

// Installs the printer through TessarySetMessageHandler.
void installMessagePrinter();

}  // namespace tessary::cli
