// One expression of the expression language: its cleaned text, its postfix form and
// the variables it uses. parse() turns the text into the postfix list that the
// evaluator runs as a stack machine; every lexical or syntax error is stored as the
// expression's error message and raised as a Failure with the same text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "expr/expression_scanner.h"
#include "expr/function_table.h"
#include "expr/recode_rule.h"
#include "expr/token.h"
#include "expr/token_stack.h"

namespace tessary {

class ExpressionParser {
 public:
  static constexpr int kFunctionPriority = 500;

  explicit ExpressionParser(bool withClusterFunctions = true) {
    buildFunctionTable(withClusterFunctions);
  }

  // Chooses the function table; the cluster-only functions are known only with true.
  void buildFunctionTable(bool withClusterFunctions);
  bool isFunction(std::string_view name) const;
  // The parameter count of a function, or -1 for an unknown name.
  int parameterCount(std::string_view name) const;
  // Operator priority: higher binds tighter; 0 for '(' and unknown tokens.
  int precedence(std::string_view token) const;

  // Cleans and parses `text`; true when no error was counted. Errors are raised.
  bool parse(const char* text, std::size_t length);
  bool parse(std::string_view text) { return parse(text.data(), text.size()); }

  const std::string& cleanedText() const { return scanner_.text(); }
  const std::vector<Token>& postfix() const { return output_.entries(); }
  std::size_t postfixLength() const { return output_.size(); }
  // The distinct variable names of the expression, in name order.
  const std::set<std::string>& variableNames() const { return variableNames_; }

  // The current recode/trunc rule: parseRule replaces it (on failure the rule's error
  // text holds the message and the rule has no groups); applyRule runs it over a column.
  bool parseRule(const char* text, std::size_t length) { return currentRule_.parse(text, length); }
  bool parseRule(std::string_view text) { return currentRule_.parse(text); }
  void applyRule(double* values, std::int64_t fromRec, std::int64_t toRec, bool setMissing) const {
    currentRule_.apply(values, fromRec, toRec, setMissing);
  }
  const RecodeRule& currentRule() const { return currentRule_; }

  int errorCount() const { return errorCount_; }
  const std::string& errorMessage() const { return errorMessage_; }
  // Stores `message` as the expression's error and raises it.
  [[noreturn]] void fail(std::string message);

 private:
  void runParser();
  void parseIdentifier();
  void openFunction(const std::string& name, int parameters);
  void parseSign(char sign);
  void parseBinaryOperator(char op);
  void parseComparison(bool isNotEqual);
  void parseNot();
  void parseClosingParenthesis();
  void parseComma();
  void parseString();
  void parseRuleText();

  // Moves every stacked operator of priority >= `priority` to the output.
  void popOperatorsFrom(int priority);
  // Moves stacked operators to the output down to the nearest '(', which stays.
  void popOperatorsToParenthesis();
  void pushOperator(std::string token, char kind = kOperatorToken);
  void emit(std::string token, char kind);

  const FunctionTable* functions_ = nullptr;
  ExpressionScanner scanner_;
  TokenStack operators_;
  TokenStack output_;
  // Parameters still expected by each open function call; level 0 is the top level.
  std::array<int, TokenStack::kCapacity + 2> pendingParameters_{};
  std::size_t level_ = 0;
  int parenthesisDepth_ = 0;
  bool operandDone_ = false;
  std::set<std::string> variableNames_;
  int errorCount_ = 0;
  std::string errorMessage_;
  RecodeRule currentRule_;
};

}  // namespace tessary
