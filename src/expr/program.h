// The program the parser makes of an expression: its postfix steps, typed, with
// constants already converted, variables numbered, rules parsed and functions found.
// The evaluator runs the steps as a stack machine over whole columns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "expr/function_table.h"
#include "expr/operators.h"
#include "expr/recode_rule.h"

namespace tessary {

enum class StepKind : std::uint8_t {
  kConstant,
  kString,  // a string constant: a category label, or the name of a lookup table
  kRule,    // sets the current recode/trunc rule; pushes nothing
  kVariable,
  kFunction,
  kOperator,  // also '(' while it waits on the operator stack
};

struct Step {
  StepKind kind = StepKind::kOperator;
  // The token as it stands in the cleaned text: a name, a number as written, a string
  // with its quotes, a rule with its braces, or the operator's symbol.
  std::string text;
  double constant = 0.0;                      // kConstant
  Operator op = Operator::kOpenParenthesis;   // kOperator
  const BuiltInFunction* function = nullptr;  // kFunction
  std::size_t variable = 0;                   // kVariable: index into the variable list
  bool namesLookupTable = false;              // kString read by the LOOKUP right after it
  std::shared_ptr<const RecodeRule> rule;     // kRule; without groups when it failed

  // The string constant without its quotes.
  std::string literal() const;
};

// The parser's operator stack and its output list: at most 256 steps each.
class StepStack {
 public:
  static constexpr std::size_t kCapacity = 256;

  // Raises "Fatal Error: parser stack overflow, can't push" when already full.
  void push(Step step);
  // Raises "Fatal Error: stack underflow\n" when empty.
  Step pop();

  bool empty() const { return steps_.empty(); }
  std::size_t size() const { return steps_.size(); }
  Step& top() { return steps_.back(); }
  const Step& top() const { return steps_.back(); }
  const std::vector<Step>& steps() const { return steps_; }
  void clear() { steps_.clear(); }

 private:
  std::vector<Step> steps_;
};

}  // namespace tessary
