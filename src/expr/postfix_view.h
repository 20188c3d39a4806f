// Readable forms of a postfix list, for tests and for the command-line tool's
// explanation of an expression.
#pragma once

#include <string>
#include <vector>

#include "expr/token.h"

namespace tessary {

// The token texts separated by single blanks, e.g. "A B C + *".
std::string postfixText(const std::vector<Token>& postfix);

// One line per token: its 1-based position, its kind letter and its text, e.g.
// "   1  V  A\n".
std::string explainPostfix(const std::vector<Token>& postfix);

}  // namespace tessary
