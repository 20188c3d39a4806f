#include "expr/blocked_evaluation.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"

namespace tessary {

BlockedEvaluation::BlockedEvaluation(Evaluator& evaluator, std::span<double> result)
    : evaluator_(evaluator), result_(result), total_(evaluator.range_) {
  evaluator_.blocks_ = this;
}

BlockedEvaluation::~BlockedEvaluation() {
  evaluator_.blocks_ = nullptr;
  evaluator_.range_ = total_;
  evaluator_.slots_[0].values = result_.data();
}

bool BlockedEvaluation::run() {
  if (!readVariables()) return false;
  for (std::size_t offset = 0; offset < total_; offset += kBlockSize) {
    if (offset % kSliceSize == 0) readSlices(offset, std::min(kSliceSize, total_ - offset));
    blockOffset_ = offset;
    evaluator_.range_ = std::min(kBlockSize, total_ - offset);
    evaluator_.slots_[0].values = result_.data() + offset;
    evaluator_.runProgram();
  }
  Slot& answer = evaluator_.slots_[0];
  if (answer.constant()) answer.shape = SlotShape::kVector;  // every block filled its records
  return true;
}

bool BlockedEvaluation::readVariables() {
  const std::vector<std::string>& names = evaluator_.expression_.variables();
  if (names.size() > kMostBlockedVariables) return false;
  const std::vector<Step>& program = evaluator_.program_;
  // A variable that opens the program and is used once is read straight into the
  // result: each block reads its slice before anything else writes there.
  const Step& front = program.front();
  const bool intoResult =
      front.kind == StepKind::kVariable &&
      std::count_if(program.begin(), program.end(), [&](const Step& step) {
        return step.kind == StepKind::kVariable && step.variable == front.variable;
      }) == 1;
  DataSet& data = evaluator_.data_;
  bool anyCategorical = false;
  variables_.assign(names.size(), Variable{});
  for (std::size_t k = 0; k < names.size(); ++k) {
    Variable& variable = variables_[k];
    variable.inResult = intoResult && k == front.variable;
    // A variable stored at the level read costs no more a slice at a time than whole;
    // a coarser one is read whole and spread.
    const std::string name = upperCase(names[k]);
    const VariableRecord* record = data.variable(name);
    const bool sliced =
        record != nullptr && record->kind != 'C' && data.levelOf(name) == data.level();
    double* column = result_.data();
    if (!variable.inResult) {
      columns_[k].resize(sliced ? kSliceSize : std::max<std::size_t>(evaluator_.slotSize_, 1));
      column = columns_[k].data();
    }
    variable.values = column;
    if (sliced) {
      variable.slice = column;
      continue;
    }
    const char kind = readVariable(data, name, std::span<double>(column, evaluator_.slotSize_),
                                   evaluator_.fromRec_, evaluator_.toRec_, variable.labels);
    variable.kind = kind == 'C' ? ValueKind::kCategorical : ValueKind::kNumeric;
    if (kind != 'C') variable.labels.clear();
    anyCategorical |= kind == 'C';
  }
  // Two categorical columns of a combined data array multiply into categories that
  // only the whole column knows.
  return !(anyCategorical && data.combined());
}

void BlockedEvaluation::readSlices(std::size_t offset, std::size_t count) {
  const auto from = evaluator_.fromRec_ + static_cast<std::int64_t>(offset);
  const auto to = from + static_cast<std::int64_t>(count) - 1;
  const std::vector<std::string>& names = evaluator_.expression_.variables();
  for (std::size_t k = 0; k < variables_.size(); ++k) {
    Variable& variable = variables_[k];
    if (variable.slice == nullptr) continue;
    // The variable read into the result lands at its records' own place.
    double* target = variable.inResult ? result_.data() + offset : variable.slice;
    evaluator_.data_.read(upperCase(names[k]), std::span<double>(target, count), from, to);
    variable.values = target;
    variable.valuesStart = offset;
  }
}

void BlockedEvaluation::readBlock(std::size_t index, Slot& slot) {
  const Variable& variable = variables_[index];
  slot.kind = variable.kind;
  slot.labels = variable.labels;
  const double* source = variable.values + (blockOffset_ - variable.valuesStart);
  if (source != slot.values) std::memcpy(slot.values, source, evaluator_.range_ * sizeof(double));
}

}  // namespace tessary
