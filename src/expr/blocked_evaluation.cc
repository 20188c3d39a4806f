#include "expr/blocked_evaluation.h"

#include <algorithm>
#include <cstring>

#include "platform/parallel.h"
#include "platform/text.h"

namespace tessary {

BlockRunner::BlockRunner(const Evaluator& whole, const std::vector<BlockedVariable>& variables,
                         std::span<double> result)
    : evaluator_(whole.expression_, whole.data_), variables_(variables), result_(result) {
  evaluator_.adoptRange(whole);
  evaluator_.blocks_ = this;
}

void BlockRunner::run(std::size_t begin, std::size_t end) {
  const std::int64_t from = evaluator_.fromRec_ + static_cast<std::int64_t>(begin);
  for (std::size_t k = 0; k < variables_.size(); ++k) {
    const BlockedVariable& variable = variables_[k];
    if (variable.whole != nullptr) {
      values_[k] = variable.whole + begin;
      continue;
    }
    // The variable read into the result lands at its records' own place.
    double* target = result_.data() + begin;
    if (!variable.inResult) {
      slices_[k].resize(kRecordsPerBlock);
      target = slices_[k].data();
    }
    variable.reader->read(target, from, from + static_cast<std::int64_t>(end - begin) - 1);
    values_[k] = target;
  }
  for (std::size_t offset = begin; offset < end; offset += kBlockSize) {
    pieceOffset_ = offset - begin;
    evaluator_.range_ = std::min(kBlockSize, end - offset);
    evaluator_.slots_[0].values = result_.data() + offset;
    evaluator_.runProgram();
  }
}

void BlockRunner::readBlock(std::size_t index, Slot& slot) {
  const BlockedVariable& variable = variables_[index];
  slot.kind = variable.kind;
  slot.labels = variable.labels;
  const double* source = values_[index] + pieceOffset_;
  if (source != slot.values) std::memcpy(slot.values, source, evaluator_.range_ * sizeof(double));
}

BlockedEvaluation::BlockedEvaluation(Evaluator& evaluator, std::span<double> result)
    : evaluator_(evaluator), result_(result), total_(evaluator.range_) {}

BlockedEvaluation::~BlockedEvaluation() {
  evaluator_.range_ = total_;
  evaluator_.slots_[0].values = result_.data();
}

bool BlockedEvaluation::run() {
  if (!prepareVariables()) return false;
  std::vector<std::unique_ptr<BlockRunner>> runners(blockSlots(total_, kRecordsPerBlock));
  forEachBlockInSlot(total_, kRecordsPerBlock,
                     [&](std::size_t slot, std::size_t begin, std::size_t end) {
                       std::unique_ptr<BlockRunner>& runner = runners[slot];
                       if (!runner)
                         runner = std::make_unique<BlockRunner>(evaluator_, variables_, result_);
                       runner->run(begin, end);
                     });
  // Every block filled its records, all with the same kind of value.
  Slot& answer = evaluator_.slots_[0];
  answer.shape = SlotShape::kVector;
  answer.kind = runners[0]->answer().kind;
  answer.labels = runners[0]->answer().labels;
  return true;
}

bool BlockedEvaluation::prepareVariables() {
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
  variables_.clear();
  variables_.resize(names.size());
  for (std::size_t k = 0; k < names.size(); ++k) {
    BlockedVariable& variable = variables_[k];
    // A variable stored at the level read is read by each block; a coarser one is read
    // whole and spread.
    const std::string name = upperCase(names[k]);
    const VariableRecord* record = data.variable(name);
    if (record != nullptr && record->kind != 'C' && data.levelOf(name) == data.level()) {
      variable.inResult = intoResult && k == front.variable;
      variable.reader.emplace(data.rangeReader(name));
      continue;
    }
    columns_[k].resize(std::max<std::size_t>(evaluator_.slotSize_, 1));
    double* column = columns_[k].data();
    const char kind = readVariable(data, name, std::span<double>(column, evaluator_.slotSize_),
                                   evaluator_.fromRec_, evaluator_.toRec_, variable.labels);
    variable.whole = column;
    variable.kind = kind == 'C' ? ValueKind::kCategorical : ValueKind::kNumeric;
    if (kind != 'C') variable.labels.clear();
    anyCategorical |= kind == 'C';
  }
  // Two categorical columns of a combined data array multiply into categories that
  // only the whole column knows.
  return !(anyCategorical && data.combined());
}

}  // namespace tessary
