// Any text handed to the expression parser either parses into a well-formed program
// or raises exactly the message it stored; the rules it parsed recode a column the way
// the evaluator would apply them.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "expr/expression_parser.h"
#include "expr/postfix_view.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "fuzz_scratch.h"

namespace {

using tessary::fuzzing::require;

void checkPostfix(tessary::ExpressionParser& parser) {
  using tessary::StepKind;
  require(parser.postfixLength() <= 256);
  std::size_t variables = 0;
  for (const tessary::Step& step : parser.postfix()) {
    require(!step.text.empty());
    switch (step.kind) {
      case StepKind::kVariable:
        ++variables;
        require(step.variable < parser.variables().size());
        require(parser.variables()[step.variable] == step.text);
        require(parser.variableNames().count(step.text) == 1);
        break;
      case StepKind::kFunction:
        require(step.function != nullptr && parser.function(step.text) == step.function);
        break;
      case StepKind::kOperator:
        require(step.op != tessary::Operator::kOpenParenthesis);
        break;
      case StepKind::kRule: {
        require(step.text.front() == '{' && step.text.back() == '}' && step.rule != nullptr);
        const int groups = step.rule->groupCount();
        require(groups > 0 || !step.rule->errorText().empty());
        if (groups == 0) break;  // the evaluator raises the rule's message
        double column[] = {-1e12, -1, 0, 0.5, 1, 9.5, 10, 99.5, 1e12, tessary::MISSING};
        step.rule->apply(column, 1, 10, false);
        for (double v : column)
          require(!std::isfinite(v) || groups == 1 || (v >= 0 && v <= groups + 1));
        break;
      }
      case StepKind::kConstant:
        require(step.constant >= 0 && !std::isnan(step.constant));
        break;
      case StepKind::kString:
        break;
    }
  }
  require(parser.variableNames().size() <= variables);
  require(parser.variables().size() == parser.variableNames().size());
  std::string text = tessary::postfixText(parser.postfix());
  std::string explained = tessary::explainPostfix(parser.postfix());
  require(text.size() < explained.size() || parser.postfixLength() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tessary::ExpressionParser parser;
  try {
    require(parser.parse(reinterpret_cast<const char*>(data), size));
    require(parser.errorCount() == 0);
  } catch (const tessary::Failure& failure) {
    require(parser.errorCount() == 1);
    require(parser.errorMessage() == failure.text());
    return 0;
  }
  checkPostfix(parser);
  return 0;
}
