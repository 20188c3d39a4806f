// The regression code's diagnostic trace: lines on standard output in the stream's
// default number format, flushed when an export ends. A host or the tool may send
// them elsewhere or nowhere.
#pragma once

#include <ostream>

namespace tessary {

// Where trace lines go now.
std::ostream& trace();
// Redirects the trace (nullptr silences it); returns the previous destination.
std::ostream* setTraceStream(std::ostream* stream);
void flushTrace();

}  // namespace tessary
