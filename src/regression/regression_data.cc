#include "regression/regression_data.h"

#include <algorithm>
#include <cctype>

#include "data/data_set.h"
#include "data/record_bitmap.h"
#include "expr/expression_evaluation.h"
#include "expr/expression_parser.h"
#include "frame/failure.h"
#include "platform/column_memory.h"
#include "platform/text.h"
#include "regression/column_source.h"

namespace tessary {
namespace {

// Records read at a time when only the included ones are kept.
constexpr std::int64_t kReadBlock = 8192;

VariableFacts factsOf(const VariableRecord& record, int level) {
  VariableFacts facts;
  facts.name = textOf(record.name);
  facts.level = level;
  facts.kind = record.kind;
  facts.stored = !record.isExpression();
  facts.selected = record.selected == 1;
  facts.label = textOf(record.textB);
  facts.minValue = record.minValue;
  facts.maxValue = record.maxValue;
  return facts;
}

bool isPlainName(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](unsigned char c) { return std::isalnum(c) != 0 || c == '_'; });
}

}  // namespace

RegressionData::RegressionData() = default;
RegressionData::~RegressionData() = default;

void RegressionData::open(const std::string& daaPath) {
  try {
    owned_ = std::make_unique<DataSet>();
    owned_->openCombined(daaPath);
  } catch (const Failure& failure) {
    owned_.reset();
    raiseFailure("Can't open data file " + daaPath + "\n" + failure.text());
  }
  data_ = owned_.get();
  source_ = nullptr;
  name_ = daaPath;
  expressions_.clear();
}

void RegressionData::attach(DataSet& data) {
  owned_.reset();
  source_ = nullptr;
  data_ = &data;
  data_->setLevel(0);
  name_.clear();
  expressions_.clear();
}

void RegressionData::attach(ColumnSource& source) {
  owned_.reset();
  data_ = nullptr;
  source_ = &source;
  name_.clear();
  expressions_.clear();
}

std::int64_t RegressionData::recordCount() const {
  if (source_ != nullptr) return source_->recordCount();
  return data_->header(0).recordCount;
}

std::size_t RegressionData::maskBytes() const {
  return bitmapBytes(static_cast<std::uint64_t>(recordCount()));
}

void RegressionData::read(const std::string& variable, std::int64_t fromRec, std::int64_t toRec,
                          double* out) {
  if (source_ != nullptr) return source_->read(variable, fromRec, toRec, out);
  if (!isPlainName(variable) && !find(variable)) {
    const ColumnBuffer<double>& column = expressionColumn(variable);
    std::copy(column.data() + (fromRec - 1), column.data() + toRec, out);
    return;
  }
  data_->read(variable, std::span<double>(out, static_cast<std::size_t>(toRec - fromRec + 1)),
              fromRec, toRec);
}

const ColumnBuffer<double>& RegressionData::expressionColumn(const std::string& text) {
  auto found = expressions_.find(text);
  if (found != expressions_.end()) return found->second;
  // The evaluator's buffer holds a column of the largest level.
  ColumnBuffer<double> values(std::max<std::size_t>(data_->slotSize(), 1));
  data_->setLevel(0);
  evaluateExpression(text, *data_, 1, recordCount(),
                     std::span<double>(values.data(), values.size()));
  return expressions_.emplace(text, std::move(values)).first->second;
}

std::size_t RegressionData::readIncluded(const std::string& variable, const std::uint8_t* mask,
                                         double* out) {
  const std::int64_t records = recordCount();
  if (mask == nullptr) {
    if (records > 0) read(variable, 1, records, out);
    return static_cast<std::size_t>(records);
  }
  ColumnBuffer<double> block(static_cast<std::size_t>(std::min(records, kReadBlock)));
  std::size_t written = 0;
  for (std::int64_t from = 1; from <= records; from += kReadBlock) {
    const std::int64_t to = std::min(records, from + kReadBlock - 1);
    read(variable, from, to, block.data());
    for (std::int64_t record = from; record <= to; ++record)
      if (!isHole(mask, static_cast<std::uint64_t>(record))) out[written++] = block[record - from];
  }
  return written;
}

std::vector<Category> RegressionData::categories(const std::string& variable) {
  std::vector<Category> list;
  const int result = data_->categorize(variable, list);
  if (result < 0) raiseFailure(categorizeFailureText(result));
  return list;
}

std::uint64_t RegressionData::globalMask(std::span<std::uint8_t> bitmap) {
  std::vector<std::uint8_t> mask;
  data_->globalMask(mask);
  std::copy_n(mask.begin(), std::min(mask.size(), bitmap.size()), bitmap.begin());
  return countHoles(std::span<const std::uint8_t>(mask));
}

bool RegressionData::evaluateCondition(const std::string& condition, std::span<double> values) {
  ExpressionParser expression(true);
  try {
    expression.parse(condition);
  } catch (const Failure&) {
    return false;
  }
  checkVariables(expression, *data_);
  // The evaluator's stack slots hold a column of the largest level.
  ColumnBuffer<double> result(std::max(data_->slotSize(), values.size()));
  evaluateToFiles(expression, *data_, std::span<double>(result.data(), result.size()), nullptr, 1,
                  recordCount(), nullptr);
  std::copy_n(result.data(), values.size(), values.data());
  return true;
}

std::vector<VariableFacts> RegressionData::variables() {
  std::vector<VariableFacts> all;
  for (int level = 0; level < data_->levelCount(); ++level)
    for (const auto& [name, record] : data_->header(level).variables())
      all.push_back(factsOf(record, level));
  return all;
}

std::optional<VariableFacts> RegressionData::find(const std::string& name) {
  for (int level = 0; level < data_->levelCount(); ++level)
    if (const VariableRecord* record = data_->header(level).find(name))
      return factsOf(*record, level);
  return std::nullopt;
}

std::string RegressionData::clusterIdName() {
  return textOf(data_->header(0).headerTextA);
}

double RegressionData::clusterAmplifier() {
  const DataRef* clusters = data_->coarserReference(0);
  return clusters != nullptr ? clusters->amplifier() : 1.0;
}

std::string RegressionData::weightName() {
  std::string weight = textOf(data_->header(0).headerTextB);
  if (weight.empty()) weight = textOf(data_->header(1).headerTextB);
  return weight;
}

}  // namespace tessary
