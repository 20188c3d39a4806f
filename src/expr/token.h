// A token of the expression language: its text and a one-byte kind.
#pragma once

#include <string>

namespace tessary {

enum TokenKind : char {
  kConstantToken = 'C',  // numeric constant, decimal text
  kStringToken = 'S',    // string constant with its double quotes
  kRuleToken = 'R',      // recode/trunc rule from '{' to '}' inclusive
  kVariableToken = 'V',
  kFunctionToken = 'F',
  kOperatorToken = 'O',  // also '(' while it waits on the operator stack
};

struct Token {
  std::string text;
  char kind = kOperatorToken;
};

}  // namespace tessary
