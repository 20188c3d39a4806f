// `tessary eval`: one expression evaluated over a data set at a level, over the records
// a filter keeps (those where it is exactly 1), weighted by the data set's stored weight
// unless told otherwise; a summary (or, for a categorical result, the category table),
// per group of another variable on request, the postfix form on request, and the
// result saved as a household variable through the library's updateVariable.
#pragma once

#include <string>

#include "support/weight_choice.h"

namespace tessary::cli {

struct EvalOptions {
  std::string data;
  std::string expression;
  int level = 0;
  std::string filter;  // "" keeps every record
  WeightChoice weight;
  std::string by;        // "" summarises all records together
  int digits = 6;        // significant digits of the summaries
  std::string save;      // "" saves nothing
  bool replace = false;  // --save may replace an existing variable
  bool explain = false;
};

// Runs the evaluation and returns the text to print.
std::string runEval(const EvalOptions& options);

// The functions of the expression language, with their parameter counts, for --help.
std::string functionList();

}  // namespace tessary::cli
