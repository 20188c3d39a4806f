#include "support/expression_run.h"

#include <cmath>
#include <memory>
#include <span>
#include <vector>

#include "data/categorize.h"
#include "data/cda.h"
#include "data/data_array.h"
#include "data/record_bitmap.h"
#include "expr/expression_evaluation.h"
#include "expr/expression_parser.h"
#include "expr/postfix_view.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "frame/number_format.h"
#include "platform/text.h"
#include "support/data_set_path.h"
#include "tessary.h"

namespace tessary::cli {
namespace {

// The data set opened at the requested level.
class EvaluationTarget {
 public:
  EvaluationTarget(const std::string& argument, int level) {
    const DataSetPath resolved = resolveDataSet(argument);
    path_ = resolved.path;
    if (resolved.combined) {
      cda_ = std::make_unique<CDA>(resolved.path);
      cda_->load();
      const int levels = cda_->auxPresent() ? 3 : 2;
      if (level < 0 || level >= levels)
        raiseFailure(
            formatText("%s: no level %d (levels 0 to %d)", path_.c_str(), level, levels - 1));
      cda_->cursor = level;
      records_ = cda_->level(level).recordCount;
      slot_ = cda_->maxRecordCount();
    } else {
      if (level != 0) raiseFailure(path_ + ": a data array has only level 0; levels need a .daA");
      data_ = std::make_unique<DataArray>();
      data_->open(resolved.path);
      data_->loadHeader();
      records_ = data_->recordCount;
      slot_ = records_;
    }
    if (records_ == 0) raiseFailure(path_ + ": no records at that level");
  }

  ExpressionValues evaluate(const std::string& text, std::vector<double>& out) {
    out.assign(slot_, MISSING);
    if (cda_) return evaluateExpression(text, *cda_, 1, records_, out);
    return evaluateExpression(text, *data_, 1, records_, out);
  }

  bool combined() const { return cda_ != nullptr; }
  std::uint32_t records() const { return records_; }
  std::uint32_t householdRecords() const { return cda_ ? cda_->level(0).recordCount : records_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::unique_ptr<DataArray> data_;
  std::unique_ptr<CDA> cda_;
  std::uint32_t records_ = 0;
  std::size_t slot_ = 0;
};

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

void saveResult(const EvaluationTarget& target, const std::string& name,
                const std::vector<double>& values) {
  if (!target.combined() || target.records() != target.householdRecords())
    raiseFailure("--save writes a household variable: give a .daA at level 0");
  const std::uint32_t records = target.records();
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
  EvaluationTarget target(options.data, options.level);
  std::vector<double> values;
  const ExpressionValues result = target.evaluate(options.expression, values);
  values.resize(target.records());

  std::uint32_t kept = target.records();
  if (!options.filter.empty()) {
    std::vector<double> filter;
    target.evaluate(options.filter, filter);
    kept = 0;
    for (std::uint32_t r = 0; r < target.records(); ++r) {
      if (std::isfinite(filter[r]) && filter[r] != 0.0)
        ++kept;
      else
        values[r] = MISSING;
    }
  }
  out += formatText("%u records at level %d", target.records(), options.level);
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
