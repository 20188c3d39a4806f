// What the regression exports share: the guarded call that flushes the trace after
// it, the reading of their text arguments, and the guard of the SSCP estimations.
#pragma once

#include <string>

#include "frame/boundary.h"
#include "regression/regression_trace.h"

namespace tessary {

// Runs an export's work through the guard, then flushes the trace lines it wrote.
template <class Result, class Body>
Result runExport(const BoundaryPolicy& policy, Body&& body) {
  const Result result = guardExport<Result>(policy, body);
  flushTrace();
  return result;
}

// A text argument; NULL reads as empty.
inline std::string text(const char* value) {
  return value != nullptr ? value : "";
}

// The SSCP estimations do nothing unless the total weight, S(0, 0), is above 0.
inline bool hasObservations(const double* sscp) {
  return sscp != nullptr && sscp[0] > 0.0;
}

}  // namespace tessary
