// What the tool adds to the expression language's own messages, whose texts the
// library keeps as they are: a name written as a call that is no function is reported
// as "unknown function NAME", and a word operator (AND, OR, NOT) gets the symbol to
// write instead.
#pragma once

#include <string>
#include <string_view>

#include "frame/failure.h"

namespace tessary::cli {

// The text the tool prints for `failureText`, raised while reading `expression`.
std::string explainExpressionFailure(const std::string& failureText, std::string_view expression);

// Runs `work`; a failure it raises is raised again with the explained text.
template <class Work>
auto withExpressionHints(std::string_view expression, Work&& work) {
  try {
    return work();
  } catch (const Failure& failure) {
    const std::string explained = explainExpressionFailure(failure.text(), expression);
    if (explained == failure.text()) throw;
    raiseFailure(explained);
  }
}

}  // namespace tessary::cli
