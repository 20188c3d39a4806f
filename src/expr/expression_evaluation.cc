#include "expr/expression_evaluation.h"

#include <algorithm>
#include <new>
#include <vector>

#include "expr/evaluator.h"
#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/column_memory.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tessary {

bool checkVariables(const ExpressionParser& expression, const DataSet& data) {
  for (const std::string& name : expression.variableNames()) {
    const std::string key = upperCase(name);
    if (data.levelOf(key) < 0) raiseFailure("Variable " + key + " not found.");
  }
  return !expression.variableNames().empty();
}

int evaluate(ExpressionParser& expression, DataSet& data, std::span<double> result,
             const double* weights, std::int64_t fromRec, std::int64_t toRec, LabelMap* labelsOut,
             bool* categorical) {
  try {
    Evaluator evaluator(expression, data);
    const bool isCategorical = evaluator.run(result, weights, fromRec, toRec, labelsOut);
    if (categorical != nullptr) *categorical = isCategorical;
  } catch (const Failure& failure) {
    expression.fail(failure.text());
  } catch (const std::bad_alloc&) {
    expression.fail("Insufficient memory available");
  }
  return 0;
}

std::string evalResultLabelText(bool categorical, std::span<const double> values,
                                const LabelMap& labels, const double* weights) {
  std::string text = "0\n";
  if (!categorical) return text;
  ColumnBuffer<double> codes(values.size());
  std::copy(values.begin(), values.end(), codes.begin());
  std::vector<Category> categories;
  if (categorizeColumn(std::span<double>(codes.data(), codes.size()), labels, weights, false, 1,
                       categories) < 0)
    return text;
  for (const Category& category : categories) {
    auto label = labels.find(category.code);
    text += formatGeneral(category.code) + '\v' +
            formatGeneral(static_cast<double>(category.count)) + '\v' +
            formatGeneral(category.weightTotal) + '=';
    if (label != labels.end()) text += label->second;
    text += '\n';
  }
  return text;
}

std::string evalResultLabelPath() {
  std::string directory = temporaryDirectory();
  if (directory.size() > 255) directory.clear();
  return directory + "EvalResult.lbl";
}

int evaluateToFiles(ExpressionParser& expression, DataSet& data, std::span<double> result,
                    const double* weights, std::int64_t fromRec, std::int64_t toRec,
                    LabelMap* labelsOut, bool* categorical) {
  const std::string path = evalResultLabelPath();
  LabelMap labels;
  bool isCategorical = false;
  try {
    evaluate(expression, data, result, weights, fromRec, toRec, &labels, &isCategorical);
  } catch (const Failure&) {
    writeWholeFile(path, "0\n", Durability::kScratch);
    throw;
  }
  const auto n = static_cast<std::size_t>(toRec - fromRec + 1);
  if (!writeWholeFile(path, evalResultLabelText(isCategorical, result.first(n), labels, weights),
                      Durability::kScratch))
    raiseFailure("Can't write file " + path + ".\n");
  if (categorical != nullptr) *categorical = isCategorical;
  if (labelsOut != nullptr) *labelsOut = std::move(labels);
  return 0;
}

ExpressionValues evaluateExpression(std::string_view text, DataSet& data, std::int64_t fromRec,
                                    std::int64_t toRec, std::span<double> result,
                                    const double* weights) {
  ExpressionParser expression(true);
  expression.parse(text);
  checkVariables(expression, data);
  ExpressionValues values;
  evaluate(expression, data, result, weights, fromRec, toRec, &values.labels, &values.categorical);
  return values;
}

}  // namespace tessary
