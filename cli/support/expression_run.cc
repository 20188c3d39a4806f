#include "support/expression_run.h"

#include <cmath>
#include <span>
#include <vector>

#include "data/categorize.h"
#include "data/data_set.h"
#include "data/record_bitmap.h"
#include "expr/expression_evaluation.h"
#include "expr/expression_parser.h"
#include "expr/expression_scanner.h"
#include "expr/function_table.h"
#include "expr/postfix_view.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "frame/number_format.h"
#include "platform/text.h"
#include "support/expression_messages.h"
#include "support/group_summary.h"
#include "tessary.h"

namespace tessary::cli {
namespace {

// The data set opened at the requested level, with at least one record there.
DataSet openTarget(const std::string& argument, int level) {
  DataSet data;
  data.open(argument, level);
  if (data.recordCount() == 0) raiseFailure(data.path() + ": no records at that level");
  return data;
}

ExpressionValues evaluateOver(DataSet& data, const std::string& text, std::vector<double>& out) {
  out.assign(data.slotSize(), MISSING);
  const ExpressionValues values = withExpressionHints(
      text, [&] { return evaluateExpression(text, data, 1, data.recordCount(), out); });
  out.resize(static_cast<std::size_t>(data.recordCount()));
  return values;
}

std::string categoryTable(std::vector<double> values, const LabelMap& labels,
                          const std::vector<double>* weights) {
  std::vector<Category> categories;
  const int result = categorizeColumn(
      values, labels, weights != nullptr ? weights->data() : nullptr, false, 1, categories);
  if (result < 0) raiseFailure(categorizeFailureText(result));
  // The weight column only when weighted.
  const auto line = [&](const std::string& code, std::uint64_t count, const std::string& weight,
                        const std::string& label) {
    return formatText("%10s %10llu", code.c_str(), static_cast<unsigned long long>(count)) +
           (weights != nullptr ? formatText(" %12s", weight.c_str()) : "") + "  " + label + "\n";
  };
  std::string out = formatText("%10s %10s", "CODE", "COUNT") +
                    (weights != nullptr ? formatText(" %12s", "WEIGHT") : "") + "  LABEL\n";
  std::uint64_t counted = 0;
  for (const Category& category : categories) {
    counted += category.count;
    out += line(std::to_string(category.code), category.count,
                formatGeneral(category.weightTotal, 10), category.label);
  }
  out += line(".", values.size() - counted, "", "(missing)");
  return out;
}

// A name the expression language reads back as a variable.
bool readableName(const std::string& name) {
  const std::string upper = upperCase(name);
  if (upper.empty() || !isNameStart(upper[0])) return false;
  for (char c : upper)
    if (!isNameContinuation(c)) return false;
  return true;
}

void saveResult(const DataSet& target, const EvalOptions& options,
                const std::vector<double>& values) {
  const std::string& name = options.save;
  if (!target.combined() || target.recordCount() != target.header(0).recordCount)
    raiseFailure("--save writes a household variable: give a .daA at level 0");
  if (!readableName(name))
    raiseFailure("--save " + name +
                 ": expressions could not read that name (a letter, _, # or $, then also digits)");
  if (target.variable(name) != nullptr && !options.replace)
    raiseFailure("--save " + upperCase(name) +
                 ": the variable exists; add --replace to replace it");
  const auto records = static_cast<std::uint32_t>(target.recordCount());
  std::vector<std::uint8_t> holes(bitmapBytes(records));
  std::vector<double> present;
  present.reserve(records);
  for (std::uint32_t r = 0; r < records; ++r) {
    if (std::isfinite(values[r]))
      present.push_back(values[r]);
    else
      setHole(holes.data(), r + 1);
  }
  // The library reports its own failure as a message before returning.
  if (updateVariable(target.path().c_str(), name.c_str(), present.data(), holes.data()) != 0)
    raiseFailure("the result was not saved as " + upperCase(name));
}

// The records the filter keeps (where it is exactly 1; every record without a filter).
// Values of the others become MISSING.
std::vector<std::uint32_t> applyFilter(DataSet& target, const std::string& filter,
                                       std::vector<double>& values) {
  std::vector<double> keep;
  if (!filter.empty()) evaluateOver(target, filter, keep);
  std::vector<std::uint32_t> kept;
  for (std::uint32_t r = 0; r < values.size(); ++r) {
    if (filter.empty() || keep[r] == 1.0)
      kept.push_back(r);
    else
      values[r] = MISSING;
  }
  return kept;
}

// The values of the kept records, in order.
std::vector<double> keptValues(const std::vector<double>& all,
                               const std::vector<std::uint32_t>& kept) {
  std::vector<double> out;
  out.reserve(kept.size());
  for (std::uint32_t r : kept)
    out.push_back(all[r]);
  return out;
}

std::string summaries(DataSet& target, const EvalOptions& options, const ExpressionValues& result,
                      const std::vector<double>& values, const std::vector<std::uint32_t>& kept) {
  const std::string weightText = chosenWeight(options.weight, target);
  std::vector<double> weights;
  if (!weightText.empty()) {
    evaluateOver(target, weightText, weights);
    weights = keptValues(weights, kept);
  }
  const double* w = weightText.empty() ? nullptr : weights.data();
  std::string out = weightText.empty() ? "" : "weighted by " + weightText + "\n";
  const std::vector<double> selected = keptValues(values, kept);
  if (!options.by.empty()) {
    std::vector<double> groups;
    const ExpressionValues grouping = evaluateOver(target, options.by, groups);
    return out + groupSummaryTable(selected, w, keptValues(groups, kept), grouping.labels,
                                   options.digits, w != nullptr);
  }
  if (result.categorical)
    return out + categoryTable(selected, result.labels, w != nullptr ? &weights : nullptr);
  return out + summaryLine(summarize(selected, w), options.digits, w != nullptr);
}

}  // namespace

std::string runEval(const EvalOptions& options) {
  std::string out;
  if (options.explain) {
    ExpressionParser parser;
    withExpressionHints(options.expression, [&] { parser.parse(options.expression); });
    out += "postfix: " + postfixText(parser.postfix()) + "\n";
    out += explainPostfix(parser.postfix());
  }
  if (options.digits < 1 || options.digits > 17) raiseFailure("--digits takes 1 to 17");
  DataSet target = openTarget(options.data, options.level);
  const auto records = static_cast<std::uint32_t>(target.recordCount());
  std::vector<double> values;
  const ExpressionValues result = evaluateOver(target, options.expression, values);
  const std::vector<std::uint32_t> kept = applyFilter(target, options.filter, values);
  out += formatText("%u records at level %d", records, options.level);
  if (!options.filter.empty())
    out += formatText(", %u pass the filter", static_cast<unsigned>(kept.size()));
  out += "\n" + summaries(target, options, result, values, kept);
  if (!options.save.empty()) {
    saveResult(target, options, values);
    out += "saved as " + upperCase(options.save) + " in " + target.path() + "\n";
  }
  return out;
}

std::string functionList() {
  std::string out;
  for (const BuiltInFunction& function : builtInFunctions())
    out += formatText("%s%s(%d)", out.empty() ? "" : " ", std::string(function.name).c_str(),
                      function.parameters);
  return out;
}

}  // namespace tessary::cli
