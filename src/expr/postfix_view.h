// Readable forms of a program's postfix steps, for tests and for the command-line
// tool's explanation of an expression.
#pragma once

#include <string>
#include <vector>

#include "expr/program.h"

namespace tessary {

// The step texts separated by single blanks, e.g. "A B C + *".
std::string postfixText(const std::vector<Step>& postfix);

// One line per step: its 1-based position, its kind letter (C constant, S string,
// R rule, V variable, F function, O operator) and its text, e.g. "   1  V  A\n".
std::string explainPostfix(const std::vector<Step>& postfix);

}  // namespace tessary
