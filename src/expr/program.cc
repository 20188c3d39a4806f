#include "expr/program.h"

#include <utility>

#include "frame/failure.h"

namespace tessary {

std::string Step::literal() const {
  return text.size() >= 2 ? text.substr(1, text.size() - 2) : text;
}

void StepStack::push(Step step) {
  if (steps_.size() >= kCapacity) raiseFailure("Fatal Error: parser stack overflow, can't push");
  steps_.push_back(std::move(step));
}

Step StepStack::pop() {
  if (steps_.empty()) raiseFailure("Fatal Error: stack underflow\n");
  Step step = std::move(steps_.back());
  steps_.pop_back();
  return step;
}

}  // namespace tessary
