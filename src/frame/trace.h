// The library's diagnostic trace: the progress lines, dumps and matrix prints it writes
// while it works, in the stream's default number format (six significant digits). They
// go to standard output unless a host or the tool sends them elsewhere or nowhere.
#pragma once

#include <ostream>

namespace tessary {

// Where trace lines go now.
std::ostream& trace();
// Redirects the trace (nullptr silences it); returns the previous destination.
std::ostream* setTraceStream(std::ostream* stream);
void flushTrace();

}  // namespace tessary
