// The evaluator's stack slots and what a function handler sees of one call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "data/categorize.h"
#include "data/data_set.h"
#include "expr/aggregate.h"
#include "expr/function_table.h"
#include "expr/recode_rule.h"

namespace tessary {

// Whether a slot holds one value for every record or a column.
enum class SlotShape : std::uint8_t {
  kConstant,   // only values[0] is meaningful
  kVector,     // one value per evaluated record
  kTableName,  // values[0] is the index of a lookup table name
};

// What the values mean.
enum class ValueKind : std::uint8_t { kNumeric, kCategorical };

struct Slot {
  double* values = nullptr;
  SlotShape shape = SlotShape::kConstant;
  ValueKind kind = ValueKind::kNumeric;
  LabelMap labels;  // of a categorical slot

  bool constant() const { return shape == SlotShape::kConstant; }
  bool tableName() const { return shape == SlotShape::kTableName; }
  bool categorical() const { return kind == ValueKind::kCategorical; }
  void makeNumeric() {
    kind = ValueKind::kNumeric;
    labels.clear();
  }
  void makeCategorical(LabelMap codes) {
    kind = ValueKind::kCategorical;
    labels = std::move(codes);
  }
  // The value of record i (0-based in the evaluated range).
  double at(std::size_t i) const { return constant() ? values[0] : values[i]; }
};

// A constant slot becomes a column of n equal values.
void toVector(Slot& slot, std::size_t n);

struct FunctionCall {
  const BuiltInFunction& function;
  std::span<Slot> operands;  // in written order; a call without operands gets a fresh slot
  std::size_t records;       // the records evaluated at once
  std::int64_t fromRec;      // the first of them, 1-based
  std::int64_t toRec;
  const double* weights;  // one per record, or null
  DataSet& data;
  const RecodeRule* rule;  // the most recent rule of the expression, or null
  std::span<const std::string> lookupNames;
  AggregateScratch& scratch;

  // The handler leaves its result in the first operand.
  Slot& result() { return operands[0]; }
  Slot& operand(std::size_t k) { return operands[k]; }
};

// The handlers behind the function table.
namespace builtin {
void absolute(FunctionCall& call);
void logarithm(FunctionCall& call);
void squareRoot(FunctionCall& call);
void sine(FunctionCall& call);
void cosine(FunctionCall& call);
void exponential(FunctionCall& call);
void arcSine(FunctionCall& call);
void arcCosine(FunctionCall& call);
void integerPart(FunctionCall& call);
void round(FunctionCall& call);
void segment(FunctionCall& call);
void chooseIf(FunctionCall& call);
void bound(FunctionCall& call);
void isMissing(FunctionCall& call);
void valueOf(FunctionCall& call);
void count(FunctionCall& call);
void missingValue(FunctionCall& call);

void isFirst(FunctionCall& call);
void isDuplicate(FunctionCall& call);
void minimum(FunctionCall& call);
void sum(FunctionCall& call);
void mean(FunctionCall& call);
void weightedMean(FunctionCall& call);
void weightedSum(FunctionCall& call);
void percentile(FunctionCall& call);
void categorize(FunctionCall& call);
void encode(FunctionCall& call);
void setMissing(FunctionCall& call);
void lookup(FunctionCall& call);
void globalMask(FunctionCall& call);
void allMissed(FunctionCall& call);

void aggregate(FunctionCall& call);
}  // namespace builtin

}  // namespace tessary
