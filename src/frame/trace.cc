#include "frame/trace.h"

#include <iostream>

namespace tessary {
namespace {

std::ostream* destination = &std::cout;

std::ostream& silent() {
  static std::ostream nowhere(nullptr);
  return nowhere;
}

}  // namespace

std::ostream& trace() {
  return destination != nullptr ? *destination : silent();
}

std::ostream* setTraceStream(std::ostream* stream) {
  std::ostream* previous = destination;
  destination = stream;
  return previous;
}

void flushTrace() {
  trace().flush();
}

}  // namespace tessary
