#include "tab/record_selection.h"

#include <algorithm>
#include <bit>

#include "expr/expression_evaluation.h"
#include "frame/failure.h"
#include "platform/file.h"
#include "platform/parallel.h"

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
    evaluateAll(filter, everyRecord_, ignored);
    markSelected();
  }
  if (weight.empty()) {
    weights_.resize(count_);
    std::fill(weights_.begin(), weights_.end(), 1.0);
    return;
  }
  evaluate(weight, weights_, ignored);
}

ColumnBuffer<double>& RecordSelection::wholeColumnFor(ColumnBuffer<double>& column) {
  ColumnBuffer<double>& whole = allSelected_ ? column : everyRecord_;
  whole.resize(std::max(records_, data_.slotSize()));
  return whole;
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
  evaluateAll(expression, wholeColumnFor(column), labels);
  keepSelected(column);
}

char RecordSelection::read(const std::string& name, ColumnBuffer<double>& column,
                           LabelMap& labels) {
  ColumnBuffer<double>& whole = wholeColumnFor(column);
  char kind = 'N';
  if (records_ > 0) {
    kind = data_.read(name, std::span<double>(whole.data(), whole.size()), 1,
                      static_cast<std::int64_t>(records_), &labels);
  } else if (const VariableRecord* record = data_.variable(name)) {
    kind = record->kind;
  }
  keepSelected(column);
  return kind;
}

void RecordSelection::markSelected() {
  // A filter value of 1 selects a record.
  selection_.resize((records_ + 63) / 64);
  const std::size_t blocks = blockCount(records_, kRecordsPerBlock);
  blockStart_.assign(blocks + 1, 0);
  forEachBlock(records_, kRecordsPerBlock,
               [&](std::size_t block, std::size_t first, std::size_t last) {
                 std::size_t kept = 0;
                 for (std::size_t word = first / 64; word * 64 < last; ++word) {
                   std::uint64_t bits = 0;
                   const std::size_t count = std::min<std::size_t>(64, last - word * 64);
                   for (std::size_t b = 0; b < count; ++b)
                     bits |= static_cast<std::uint64_t>(everyRecord_[word * 64 + b] == 1.0) << b;
                   selection_[word] = bits;
                   kept += static_cast<std::size_t>(std::popcount(bits));
                 }
                 blockStart_[block + 1] = kept;
               });
  for (std::size_t b = 0; b < blocks; ++b)
    blockStart_[b + 1] += blockStart_[b];
  count_ = blockStart_[blocks];
}

void RecordSelection::keepSelected(ColumnBuffer<double>& column) {
  column.resize(count_);
  if (allSelected_) return;
  // Each block packs its selected records where the blocks before it leave off.
  forEachBlock(records_, kRecordsPerBlock,
               [&](std::size_t block, std::size_t first, std::size_t last) {
                 double* out = column.data() + blockStart_[block];
                 for (std::size_t word = first / 64; word * 64 < last; ++word) {
                   std::uint64_t bits = selection_[word];
                   const double* in = everyRecord_.data() + word * 64;
                   if (bits == ~std::uint64_t{0}) {
                     out = std::copy(in, in + 64, out);
                     continue;
                   }
                   // Writes only selected positions: the next block's values begin right after.
                   for (; bits != 0; bits &= bits - 1)
                     *out++ = in[std::countr_zero(bits)];
                 }
               });
}

}  // namespace tessary
