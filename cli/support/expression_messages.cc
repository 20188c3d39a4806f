#include "support/expression_messages.h"

#include <regex>

#include "expr/expression_scanner.h"
#include "platform/text.h"

namespace tessary::cli {
namespace {

constexpr struct {
  const char* word;
  const char* symbol;
} kWordOperators[] = {{"AND", "&"}, {"OR", "|"}, {"NOT", "!"}};

// True when `word` stands alone in the text (any case), outside string constants.
bool containsWord(std::string_view expression, const char* word) {
  std::string outsideStrings;
  bool quoted = false;
  for (char c : expression) {
    if (c == '"') quoted = !quoted;
    outsideStrings += quoted ? ' ' : c;
  }
  const std::regex alone(std::string("(^|[^A-Za-z0-9_#$])") + word + "($|[^A-Za-z0-9_#$])",
                         std::regex::icase);
  return std::regex_search(outsideStrings, alone);
}

}  // namespace

std::string explainExpressionFailure(const std::string& failureText, std::string_view expression) {
  static const std::regex unknownVariable("Variable (.+) not found\\.");
  std::smatch match;
  if (std::regex_match(failureText, match, unknownVariable)) {
    const std::string name = match[1];
    if (cleanExpressionText(expression).find(upperCase(name) + "(") != std::string::npos)
      return "unknown function " + name + " (tessary eval --help lists the functions)";
  }
  for (const auto& op : kWordOperators)
    if (containsWord(expression, op.word))
      return failureText + " (" + op.word + " is no operator of the language: write " + op.symbol +
             ")";
  return failureText;
}

}  // namespace tessary::cli
