#include "tab/record_selection.h"

#include <algorithm>

#include "expr/expression_evaluation.h"
#include "frame/failure.h"
#include "platform/file.h"

namespace tessary {

RecordSelection::RecordSelection(DataSet& data, const std::string& filter,
                                 const std::string& weight)
    : data_(data), records_(static_cast<std::size_t>(data.recordCount())) {
  const std::string labelFile = evalResultLabelPath();
  if (!writeWholeFile(labelFile, evalResultLabelText(false, {}, {}, nullptr), Durability::kScratch))
    raiseFailure("Can't write file " + labelFile + ".\n");
  LabelMap ignored;
  allSelected_ = filter.empty();
  count_ = records_;
  if (!allSelected_) {
    // The filter goes through the weight buffer, which is evaluated next.
    evaluateAll(filter, weights_, ignored);
    selection_.resize((records_ + 63) / 64);
    std::fill(selection_.begin(), selection_.end(), 0);
    count_ = 0;
    for (std::size_t i = 0; i < records_; ++i) {
      const bool keep = weights_[i] == 1.0;
      selection_[i / 64] |= static_cast<std::uint64_t>(keep) << (i % 64);
      count_ += keep;
    }
  }
  if (weight.empty()) {
    weights_.resize(count_);
    std::fill(weights_.begin(), weights_.end(), 1.0);
    return;
  }
  evaluateAll(weight, weights_, ignored);
  keepSelected(weights_);
}

void RecordSelection::evaluateAll(const std::string& expression, ColumnBuffer<double>& column,
                                  LabelMap& labels) {
  column.resize(std::max(records_, data_.slotSize()));
  if (records_ == 0) return;
  const auto last = static_cast<std::int64_t>(records_);
  if (expression == kIdentifierFormula) {
    data_.readIdentifiers(std::span<double>(column.data(), records_), 1, last);
    return;
  }
  ExpressionParser parsed(true);
  parsed.parse(expression);
  checkVariables(parsed, data_);
  evaluateToFiles(parsed, data_, std::span<double>(column.data(), column.size()), nullptr, 1, last,
                  &labels);
}

void RecordSelection::evaluate(const std::string& expression, ColumnBuffer<double>& column,
                               LabelMap& labels) {
  evaluateAll(expression, column, labels);
  keepSelected(column);
}

char RecordSelection::read(const std::string& name, ColumnBuffer<double>& column,
                           LabelMap& labels) {
  column.resize(std::max(records_, data_.slotSize()));
  char kind = 'N';
  if (records_ > 0) {
    kind = data_.read(name, std::span<double>(column.data(), column.size()), 1,
                      static_cast<std::int64_t>(records_), &labels);
  } else if (const VariableRecord* record = data_.variable(name)) {
    kind = record->kind;
  }
  keepSelected(column);
  return kind;
}

void RecordSelection::keepSelected(ColumnBuffer<double>& column) const {
  if (!allSelected_) {
    // In place, a 64-record word at a time: the k-th selected record never lies
    // before position k.
    std::size_t k = 0;
    for (std::size_t word = 0; word * 64 < records_; ++word) {
      const std::uint64_t bits = selection_[word];
      const std::size_t first = word * 64;
      const std::size_t count = std::min<std::size_t>(64, records_ - first);
      if (bits == 0) continue;
      if (bits == ~std::uint64_t{0}) {
        std::copy(column.data() + first, column.data() + first + count, column.data() + k);
        k += count;
        continue;
      }
      for (std::size_t b = 0; b < count; ++b) {
        column[k] = column[first + b];
        k += (bits >> b) & 1;
      }
    }
  }
  column.resize(count_);
}

}  // namespace tessary
