#include "support/expression_run.h"

#include <cmath>
#include <span>
#include <vector>

#include "data/categorize.h"
#include "data/data_set.h"
#include "data/record_bitmap.h"
#include "expr/expression_evaluation.h"
#include "expr/expression_parser.h"
#include "expr/postfix_view.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "frame/number_format.h"
#include "platform/text.h"
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
  return evaluateExpression(text, data, 1, data.recordCount(), out);
}

std::string number(double v) {
  return std::isfinite(v) ? formatGeneral(v, 10) : ".";
}

std::string numericSummary(const std::vector<double>& values) {
  std::uint64_t count = 0;
  double sum = 0, low = MISSING, high = -MISSING;
  for (double v : values) {
    if (!std::isfinite(v)) continue;
    ++count;
    sum += v;
    low = std::min(low, v);
    high = std::max(high, v);
  }
  if (count == 0) return "count 0\n";
  return formatText("count %llu  mean %s  min %s  max %s\n", static_cast<unsigned long long>(count),
                    number(sum / static_cast<double>(count)).c_str(), number(low).c_str(),
                    number(high).c_str());
}

std::string categoryTable(std::vector<double> values, const LabelMap& labels) {
  std::vector<Category> categories;
  const int result = categorizeColumn(values, labels, nullptr, false, 1, categories);
  if (result < 0) raiseFailure(categorizeFailureText(result));
  std::string out = formatText("%10s %10s  %s\n", "CODE", "COUNT", "LABEL");
  for (const Category& category : categories)
    out += formatText("%10d %10llu  %s\n", category.code,
                      static_cast<unsigned long long>(category.count), category.label.c_str());
  return out;
}

void saveResult(const DataSet& target, const std::string& name, const std::vector<double>& values) {
  if (!target.combined() || target.recordCount() != target.header(0).recordCount)
    raiseFailure("--save writes a household variable: give a .daA at level 0");
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

}  // namespace

std::string runEval(const EvalOptions& options) {
  std::string out;
  if (options.explain) {
    ExpressionParser parser;
    parser.parse(options.expression);
    out += "postfix: " + postfixText(parser.postfix()) + "\n";
    out += explainPostfix(parser.postfix());
  }
  DataSet target = openTarget(options.data, options.level);
  const auto records = static_cast<std::uint32_t>(target.recordCount());
  std::vector<double> values;
  const ExpressionValues result = evaluateOver(target, options.expression, values);
  values.resize(records);

  std::uint32_t kept = records;
  if (!options.filter.empty()) {
    std::vector<double> filter;
    evaluateOver(target, options.filter, filter);
    kept = 0;
    for (std::uint32_t r = 0; r < records; ++r) {
      if (std::isfinite(filter[r]) && filter[r] != 0.0)
        ++kept;
      else
        values[r] = MISSING;
    }
  }
  out += formatText("%u records at level %d", records, options.level);
  if (!options.filter.empty()) out += formatText(", %u pass the filter", kept);
  out += "\n";
  out += result.categorical ? categoryTable(values, result.labels) : numericSummary(values);
  if (!options.save.empty()) {
    saveResult(target, options.save, values);
    out += "saved as " + upperCase(options.save) + " in " + target.path() + "\n";
  }
  return out;
}

}  // namespace tessary::cli
