#include "expr/evaluator.h"

#include <algorithm>
#include <new>

#include "expr/blocked_evaluation.h"
#include "frame/failure.h"
#include "platform/text.h"

namespace tessary {

void toVector(Slot& slot, std::size_t n) {
  if (!slot.constant()) return;
  std::fill_n(slot.values, n, slot.values[0]);
  slot.shape = SlotShape::kVector;
}

bool Evaluator::run(std::span<double> result, const double* weights, std::int64_t fromRec,
                    std::int64_t toRec, LabelMap* labelsOut) {
  slotSize_ = data_.slotSize();
  if (fromRec < 1 || toRec < fromRec || toRec > data_.recordCount())
    raiseFailure(formatText("Evaluation range %lld-%lld is beyond the %lld records.\n",
                            static_cast<long long>(fromRec), static_cast<long long>(toRec),
                            static_cast<long long>(data_.recordCount())));
  if (result.size() < slotSize_)
    raiseFailure(formatText("The result buffer holds %zu values, fewer than %zu.\n", result.size(),
                            slotSize_));
  fromRec_ = fromRec;
  toRec_ = toRec;
  range_ = static_cast<std::size_t>(toRec - fromRec + 1);
  weights_ = weights;
  lookupNames_.clear();
  bool done = false;
  if (range_ > kBlockSize && expression_.elementwise()) {
    BlockedEvaluation blocks(*this, result);
    done = blocks.run();
  }
  if (!done) {
    slots_[0].values = result.data();
    runProgram();
  }
  lookupNames_.clear();
  const Slot& answer = slots_[0];
  if (labelsOut != nullptr) {
    labelsOut->clear();
    if (answer.categorical()) *labelsOut = answer.labels;
  }
  return answer.categorical();
}

void Evaluator::adoptRange(const Evaluator& whole) {
  slotSize_ = whole.slotSize_;
  fromRec_ = whole.fromRec_;
  toRec_ = whole.toRec_;
  range_ = whole.range_;
  weights_ = whole.weights_;
}

void Evaluator::runProgram() {
  depth_ = 0;
  rule_ = nullptr;
  for (std::size_t i = 0; i < program_.size(); ++i)
    step(i);
  if (depth_ == 0) raiseFailure("Expression invalid: operand expected\n");
  if (depth_ > 1) raiseFailure("Expression invalid: operator expected\n");
  Slot& answer = slots_[0];
  if (answer.tableName()) raiseFailure("Incorrect specification for lookup function");
  if (answer.constant()) std::fill_n(answer.values, range_, answer.values[0]);
}

Slot& Evaluator::push() {
  if (depth_ >= kEvaluationSlots) raiseFailure("ERROR: stack overflow, contact with techni\n");
  const auto index = static_cast<std::size_t>(depth_);
  Slot& slot = slots_[index];
  if (index > 0) {
    try {
      buffers_[index].resize(blocks_ != nullptr ? kBlockSize : std::max<std::size_t>(slotSize_, 1));
    } catch (const std::bad_alloc&) {
      raiseFailure("Insufficient memory available");
    }
    slot.values = buffers_[index].data();
  }
  slot.shape = SlotShape::kConstant;
  slot.makeNumeric();
  ++depth_;
  return slot;
}

void Evaluator::pushConstant(double value) {
  Slot& slot = push();
  slot.values[0] = value;
}

void Evaluator::step(std::size_t index) {
  const Step& step = program_[index];
  switch (step.kind) {
    case StepKind::kConstant:
      pushConstant(step.constant);
      break;
    case StepKind::kVariable:
      pushVariable(step);
      break;
    case StepKind::kString:
      pushString(step);
      break;
    case StepKind::kRule:
      useRule(step);
      break;
    case StepKind::kFunction:
      applyFunction(*step.function);
      break;
    case StepKind::kOperator:
      applyOperator(step.op);
      break;
  }
}

char readVariable(DataSet& data, const std::string& name, std::span<double> values,
                  std::int64_t fromRec, std::int64_t toRec, LabelMap& labels) {
  int categories = 0;
  const char kind = data.read(name, values, fromRec, toRec, &labels, &categories);
  if (kind == 'C' && categories <= 0) raiseFailure(name + " is not a categorical variable");
  return kind;
}

void Evaluator::pushVariable(const Step& step) {
  Slot& slot = push();
  slot.shape = SlotShape::kVector;
  if (blocks_ != nullptr) {
    blocks_->readBlock(step.variable, slot);
    return;
  }
  const std::string& name = expression_.variables()[step.variable];
  const char kind = readVariable(data_, upperCase(name), std::span<double>(slot.values, slotSize_),
                                 fromRec_, toRec_, slot.labels);
  if (kind == 'C')
    slot.kind = ValueKind::kCategorical;
  else
    slot.makeNumeric();
}

void Evaluator::pushString(const Step& step) {
  const std::string text = step.literal();
  if (step.namesLookupTable) {
    if (lookupNames_.size() >= kMostLookupTables)
      raiseFailure("Too many lookup table defined. Maximum 64 allowed.");
    lookupNames_.push_back(text);
    Slot& slot = push();
    slot.shape = SlotShape::kTableName;
    slot.values[0] = static_cast<double>(lookupNames_.size() - 1);
    return;
  }
  if (depth_ == 0 || !top().categorical())
    raiseFailure("ERROR: missing factor variable associated with\n\"" + text + "\"\n");
  const LabelMap& labels = top().labels;
  auto found = std::find_if(labels.begin(), labels.end(),
                            [&](const auto& entry) { return entry.second == text; });
  if (found == labels.end()) raiseFailure("ERROR: Label \"" + text + "\" not found.\n");
  pushConstant(static_cast<double>(found->first));
}

void Evaluator::useRule(const Step& step) {
  if (step.rule->groupCount() == 0) raiseFailure(step.rule->errorText());
  rule_ = step.rule.get();
}

void Evaluator::applyFunction(const BuiltInFunction& function) {
  const int operands = function.operands();
  if (depth_ < operands)
    raiseFailure(formatText("ERROR: %s needs parameter(s)\n%i found\n%i expected",
                            std::string(function.name).c_str(), depth_, operands));
  for (int k = 0; k < operands; ++k) {
    const bool tableName = function.argument == Argument::kTableName && k == 0;
    if (top(k).tableName() && !tableName)
      raiseFailure("Incorrect specification for lookup function");
  }
  if (operands == 0) push();
  const int taken = std::max(operands, 1);
  FunctionCall call{function,
                    std::span<Slot>(&slots_[static_cast<std::size_t>(depth_ - taken)],
                                    static_cast<std::size_t>(taken)),
                    range_,
                    fromRec_,
                    toRec_,
                    weights_,
                    data_,
                    rule_,
                    lookupNames_,
                    scratch_};
  function.handler(call);
  depth_ -= taken - 1;
}

}  // namespace tessary
