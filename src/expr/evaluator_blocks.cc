// Elementwise expressions (arithmetic, comparisons and per-record functions only) run
// block by block: their variables are read whole once, then the postfix list runs over
// each block of records with block-sized slots, so the intermediate columns never leave
// the cache. Every check the postfix list makes is structural, so a failure is raised
// by the first block exactly as a whole-column run would raise it.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "expr/evaluator.h"

namespace tessary {
namespace {

bool isElementwiseFunction(std::string_view name) {
  static constexpr std::string_view kNames[] = {
      "ABS", "ACOS",      "ASIN", "BOUNDING", "COS", "COUNT", "EXP",  "IIF",    "INT",
      "LOG", "ISMISSING", "NA",   "ROUND",    "SEG", "SIN",   "SQRT", "VALUEOF"};
  return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

}  // namespace

bool Evaluator::elementwiseOnly() const {
  const std::vector<Token>& postfix = expression_.postfix();
  for (std::size_t i = 0; i < postfix.size(); ++i) {
    const Token& token = postfix[i];
    switch (token.kind) {
      case kFunctionToken:
        if (!isElementwiseFunction(token.text)) return false;
        break;
      case kRuleToken:
        return false;
      case kStringToken:
        if (i + 1 < postfix.size() && postfix[i + 1].text == "LOOKUP") return false;
        break;
      case kOperatorToken:
        if (token.text == "@") return false;
        break;
      default:
        break;
    }
  }
  return true;
}

bool Evaluator::runInBlocks(std::span<double> result) {
  if (range_ <= kBlockSize || !elementwiseOnly()) return false;
  const std::vector<Token>& postfix = expression_.postfix();
  std::vector<std::string> names;
  std::size_t firstUses = 0;
  for (const Token& token : postfix) {
    if (token.kind != kVariableToken) continue;
    if (token.text == postfix.front().text) ++firstUses;
    if (std::find(names.begin(), names.end(), token.text) == names.end())
      names.push_back(token.text);
  }
  if (names.size() > kMostBlockedVariables) return false;
  // A variable that opens the list and is used once is read straight into the result:
  // each block reads its slice before anything else writes there.
  const bool intoResult = postfix.front().kind == kVariableToken && firstUses == 1;
  blockedVariables_.clear();
  bool anyCategorical = false;
  for (std::size_t k = 0; k < names.size(); ++k) {
    BlockedVariable variable;
    variable.name = names[k];
    const bool first = intoResult && names[k] == postfix.front().text;
    const bool sliced = source_.readsSlices() && source_.kindOf(names[k]) != 'C';
    double* column = result.data();
    if (!first) {
      blockedColumns_[k].resize(sliced ? kSliceSize : std::max<std::size_t>(slotSize_, 1));
      column = blockedColumns_[k].data();
    }
    variable.values = column;
    variable.inResult = first;
    if (sliced) {
      variable.slice = column;
    } else {
      const char kind = source_.fetchColumn(names[k], std::span<double>(column, slotSize_),
                                            fromRec_, toRec_, variable.labels);
      variable.kind = kind == 'C' ? 'C' : 'N';
      if (variable.kind != 'C') variable.labels.clear();
      anyCategorical |= variable.kind == 'C';
    }
    blockedVariables_.push_back(std::move(variable));
  }
  // Two categorical columns of a combined data array multiply into categories that
  // only the whole column knows.
  if (anyCategorical && source_.combined()) return false;

  const std::size_t total = range_;
  resultBase_ = result.data();
  blocked_ = true;
  try {
    for (std::size_t offset = 0; offset < total; offset += kBlockSize) {
      if (offset % kSliceSize == 0) readSlices(offset, std::min(kSliceSize, total - offset));
      blockOffset_ = offset;
      range_ = std::min(kBlockSize, total - offset);
      slots_[0].values = result.data() + offset;
      runPostfix();
    }
  } catch (...) {
    blocked_ = false;
    range_ = total;
    throw;
  }
  blocked_ = false;
  range_ = total;
  slots_[0].values = result.data();
  if (slots_[0].constant()) slots_[0].valueTag = 'V';  // every block filled its records
  return true;
}

void Evaluator::readSlices(std::size_t offset, std::size_t count) {
  LabelMap none;
  const auto from = fromRec_ + static_cast<std::int64_t>(offset);
  const auto to = from + static_cast<std::int64_t>(count) - 1;
  for (BlockedVariable& variable : blockedVariables_) {
    if (variable.slice == nullptr) continue;
    // The variable read into the result lands at its records' own place.
    double* target = variable.inResult ? resultBase_ + offset : variable.slice;
    source_.fetchColumn(variable.name, std::span<double>(target, count), from, to, none);
    variable.values = target;
    variable.valuesStart = offset;
  }
}

void Evaluator::pushBlockOfVariable(const std::string& name) {
  const auto found =
      std::find_if(blockedVariables_.begin(), blockedVariables_.end(),
                   [&](const BlockedVariable& variable) { return variable.name == name; });
  Slot& slot = push();
  slot.valueTag = 'V';
  slot.kind = found->kind;
  slot.labels = found->labels;
  const double* source = found->values + (blockOffset_ - found->valuesStart);
  if (source != slot.values) std::memcpy(slot.values, source, range_ * sizeof(double));
}

}  // namespace tessary
