// Any text handed to the expression parser either parses into a well-formed postfix
// list or raises exactly the message it stored; the rules it contains go through the
// rule parser the way the evaluator would take them.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "expr/expression_parser.h"
#include "expr/invalid_conversion.h"
#include "expr/postfix_view.h"
#include "frame/failure.h"
#include "frame/missing.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

void checkPostfix(tessary::ExpressionParser& parser) {
  require(parser.postfixLength() <= 256);
  std::size_t variables = 0;
  for (const tessary::Token& token : parser.postfix()) {
    require(!token.text.empty());
    switch (token.kind) {
      case tessary::kVariableToken:
        ++variables;
        require(parser.variableNames().count(token.text) == 1);
        break;
      case tessary::kFunctionToken:
        require(parser.isFunction(token.text));
        break;
      case tessary::kOperatorToken:
        require(token.text != "(");
        break;
      case tessary::kRuleToken: {
        require(token.text.front() == '{' && token.text.back() == '}');
        try {
          if (parser.parseRule(token.text)) {
            double column[] = {-1e12, -1, 0, 0.5, 1, 9.5, 10, 99.5, 1e12, tessary::MISSING};
            parser.applyRule(column, 1, 10, false);
            int groups = parser.currentRule().groupCount();
            for (double v : column)
              require(!std::isfinite(v) || groups == 1 || (v >= 0 && v <= groups + 1));
          }
        } catch (const tessary::InvalidConversionException&) {
        }
        break;
      }
      case tessary::kConstantToken:
      case tessary::kStringToken:
        break;
      default:
        std::abort();
    }
  }
  require(parser.variableNames().size() <= variables);
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
