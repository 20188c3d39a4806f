// Error reporting and the per-thread state of the special functions.
#include "frame/failure.h"
#include "frame/trace.h"
#include "numeric/special_functions.h"

namespace tessary {

namespace {

// Per thread, so that concurrent callers never read each other's values.
thread_local int lastErrorCode = 0;

}  // namespace

const char* mathErrorText(int code) {
  static const char* const kTexts[] = {"unknown",
                                       "domain",
                                       "singularity",
                                       "overflow",
                                       "underflow",
                                       "total loss of precision",
                                       "partial loss of precision"};
  if (code <= 0 || code >= 7) code = 0;
  return kTexts[code];
}

void mtherr(const char* name, int code) {
  trace() << '\n' << name;
  lastErrorCode = code;
  raiseFailure("error in mtherr");
}

int lastMathError() {
  return lastErrorCode;
}

}  // namespace tessary
