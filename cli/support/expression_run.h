// `tessary eval`: one expression evaluated over a data set at a level, optionally
// restricted by a filter expression; a summary (or, for a categorical result, the
// category table), the postfix form on request, and the result saved as a household
// variable through the library's updateVariable.
#pragma once

#include <string>

namespace tessary::cli {

struct EvalOptions {
  std::string data;
  std::string expression;
  int level = 0;
  std::string filter;  // "" keeps every record
  std::string save;    // "" saves nothing
  bool explain = false;
};

// Runs the evaluation and returns the text to print.
std::string runEval(const EvalOptions& options);

}  // namespace tessary::cli
