// Running an expression over a data set: variable checks, evaluation into a caller's
// buffer, the "EvalResult.lbl" label file, and a one-call entry point for the
// tabulation and regression code.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "data/categorize.h"
#include "data/data_set.h"
#include "expr/expression_parser.h"

namespace tessary {

// Every variable of the expression must be stored in the data set, else raises
// "Variable <NAME> not found.". False when the expression uses no variable.
bool checkVariables(const ExpressionParser& expression, const DataSet& data);

// Evaluates records fromRec..toRec of the data set's level into the front of `result`
// (which holds at least its slotSize()). `weights`, when given, holds one weight per
// evaluated record, in the same order. A categorical result's labels go to labelsOut
// and *categorical is set when given. Returns 0; failures are stored as the
// expression's error message and raised.
int evaluate(ExpressionParser& expression, DataSet& data, std::span<double> result,
             const double* weights, std::int64_t fromRec, std::int64_t toRec, LabelMap* labelsOut,
             bool* categorical = nullptr);

// The content of "EvalResult.lbl": "0", then for a categorical result one line per
// category: code, vertical tab, record count, vertical tab, weight total, '=', label.
std::string evalResultLabelText(bool categorical, std::span<const double> values,
                                const LabelMap& labels, const double* weights);
// Where the label file goes: the temporary directory, or the current directory when
// that path is longer than 255 characters.
std::string evalResultLabelPath();

// evaluate, then (also after a failure) writes the label file.
int evaluateToFiles(ExpressionParser& expression, DataSet& data, std::span<double> result,
                    const double* weights, std::int64_t fromRec, std::int64_t toRec,
                    LabelMap* labelsOut, bool* categorical = nullptr);

struct ExpressionValues {
  bool categorical = false;
  LabelMap labels;  // of a categorical result
};

// Parses `text` (with the cluster functions), checks its variables and evaluates it
// over records fromRec..toRec into the front of `result`. Raises the parse or
// evaluation message.
ExpressionValues evaluateExpression(std::string_view text, DataSet& data, std::int64_t fromRec,
                                    std::int64_t toRec, std::span<double> result,
                                    const double* weights = nullptr);

}  // namespace tessary
