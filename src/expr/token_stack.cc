#include "expr/token_stack.h"

#include <utility>

#include "frame/failure.h"

namespace tessary {

void TokenStack::push(std::string text, char kind) {
  if (entries_.size() >= kCapacity) raiseFailure("Fatal Error: parser stack overflow, can't push");
  entries_.push_back(Token{std::move(text), kind});
}

Token TokenStack::pop() {
  if (entries_.empty()) raiseFailure("Fatal Error: stack underflow\n");
  Token token = std::move(entries_.back());
  entries_.pop_back();
  return token;
}

}  // namespace tessary
