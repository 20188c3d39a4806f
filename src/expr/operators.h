// The operators of the expression language. The parser keeps them on its operator stack
// by priority; the evaluator applies them to whole columns.
#pragma once

#include <cstdint>

namespace tessary {

enum class Operator : std::uint8_t {
  kNegate,  // unary '-'
  kNot,     // unary '!'
  kPower,
  kApplyRule,  // x@{rule}
  kMultiply,
  kDivide,
  kRemainder,
  kAdd,
  kSubtract,
  kLess,
  kGreater,
  kLessOrEqual,
  kGreaterOrEqual,
  kEqual,
  kNotEqual,
  kAnd,
  kOr,
  kOpenParenthesis,  // only while it waits on the operator stack
};

// A function call pops every stacked operator of at least this priority.
inline constexpr int kFunctionPriority = 500;

// Higher binds tighter; every binary operator is left-associative.
int priority(Operator op);

// The one character that stands for the operator in a postfix listing: the written
// character, '_' for negation, '{' for <=, '}' for >=, '#' for not equal.
char symbol(Operator op);

// The operator that `c` stands for in the operator table (the first with that
// symbol); '(' for a character that stands for none.
Operator operatorWithSymbol(char c);

inline bool isUnary(Operator op) {
  return op == Operator::kNegate || op == Operator::kNot;
}

}  // namespace tessary
