// One expression of the expression language: its cleaned text, the program parse()
// makes of it (postfix steps that the evaluator runs as a stack machine) and the
// variables it uses. Every lexical or syntax error is stored as the expression's error
// message and raised as a Failure with the same text.
#pragma once

#include <array>
#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "expr/expression_scanner.h"
#include "expr/function_table.h"
#include "expr/program.h"

namespace tessary {

class ExpressionParser {
 public:
  explicit ExpressionParser(bool withClusterFunctions = true) {
    buildFunctionTable(withClusterFunctions);
  }

  // Chooses the functions known: the cluster-only ones only with true.
  void buildFunctionTable(bool withClusterFunctions) { withCluster_ = withClusterFunctions; }
  const BuiltInFunction* function(std::string_view name) const {
    return findFunction(name, withCluster_);
  }
  bool isFunction(std::string_view name) const { return function(name) != nullptr; }

  // Cleans and parses `text`; true when no error was counted. Errors are raised.
  bool parse(const char* text, std::size_t length);
  bool parse(std::string_view text) { return parse(text.data(), text.size()); }

  const std::string& cleanedText() const { return scanner_.text(); }
  const std::vector<Step>& postfix() const { return output_.steps(); }
  std::size_t postfixLength() const { return output_.size(); }
  // The distinct variable names, in name order.
  const std::set<std::string>& variableNames() const { return variableNames_; }
  // The same names in order of first use; a variable step holds its index here.
  const std::vector<std::string>& variables() const { return variables_; }
  // True when every step works record by record (no rule, whole-column function or
  // lookup), so the program can run over any block of records.
  bool elementwise() const { return elementwise_; }

  int errorCount() const { return errorCount_; }
  const std::string& errorMessage() const { return errorMessage_; }
  // Stores `message` as the expression's error and raises it.
  [[noreturn]] void fail(std::string message);

 private:
  void reset();
  void runParser();
  void parseOperatorCharacter(char c);
  void parseIdentifier();
  void openFunction(const BuiltInFunction& function);
  void parseSign(char sign);
  void parseBinaryOperator(char c);
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
  void pushOperator(Operator op);
  void emit(Step step);
  void emitVariable(std::string name);

  bool withCluster_ = true;
  ExpressionScanner scanner_;
  StepStack operators_;
  StepStack output_;
  // Parameters still expected by each open function call; level 0 is the top level.
  std::array<int, StepStack::kCapacity + 2> pendingParameters_{};
  std::size_t level_ = 0;
  int parenthesisDepth_ = 0;
  bool operandDone_ = false;
  std::set<std::string> variableNames_;
  std::vector<std::string> variables_;
  bool elementwise_ = true;
  int errorCount_ = 0;
  std::string errorMessage_;
};

}  // namespace tessary
