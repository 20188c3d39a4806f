// What every regression and error-component export does around its work: the boundary
// guard, then the trace lines it wrote flushed.
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

// A C string argument as text; null gives "".
inline std::string text(const char* value) {
  return value != nullptr ? value : "";
}

}  // namespace tessary
