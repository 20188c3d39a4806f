// A bounded token stack; the parser's operator stack and its postfix output list are
// both one of these.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "expr/token.h"

namespace tessary {

class TokenStack {
 public:
  static constexpr std::size_t kCapacity = 256;

  TokenStack() { entries_.reserve(kCapacity); }

  // Raises "Fatal Error: parser stack overflow, can't push" when already full.
  void push(std::string text, char kind);
  // Raises "Fatal Error: stack underflow\n" when empty.
  Token pop();

  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }
  const Token& top() const { return entries_.back(); }
  const std::vector<Token>& entries() const { return entries_; }
  void clear() { entries_.clear(); }

 private:
  std::vector<Token> entries_;
};

}  // namespace tessary
