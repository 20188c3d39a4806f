#include "expr/postfix_view.h"

#include "platform/text.h"

namespace tessary {

std::string postfixText(const std::vector<Token>& postfix) {
  std::string out;
  for (const Token& token : postfix) {
    if (!out.empty()) out.push_back(' ');
    out += token.text;
  }
  return out;
}

std::string explainPostfix(const std::vector<Token>& postfix) {
  std::string out;
  int position = 0;
  for (const Token& token : postfix) {
    out += formatText("%4d  %c  ", ++position, token.kind);
    out += token.text;
    out.push_back('\n');
  }
  return out;
}

}  // namespace tessary
