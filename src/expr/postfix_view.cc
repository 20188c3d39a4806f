#include "expr/postfix_view.h"

#include "platform/text.h"

namespace tessary {
namespace {

char kindLetter(StepKind kind) {
  switch (kind) {
    case StepKind::kConstant:
      return 'C';
    case StepKind::kString:
      return 'S';
    case StepKind::kRule:
      return 'R';
    case StepKind::kVariable:
      return 'V';
    case StepKind::kFunction:
      return 'F';
    default:
      return 'O';
  }
}

}  // namespace

std::string postfixText(const std::vector<Step>& postfix) {
  std::string out;
  for (const Step& step : postfix) {
    if (!out.empty()) out.push_back(' ');
    out += step.text;
  }
  return out;
}

std::string explainPostfix(const std::vector<Step>& postfix) {
  std::string out;
  int position = 0;
  for (const Step& step : postfix) {
    out += formatText("%4d  %c  ", ++position, kindLetter(step.kind));
    out += step.text;
    out.push_back('\n');
  }
  return out;
}

}  // namespace tessary
