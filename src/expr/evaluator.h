// The stack machine that runs an expression's postfix list over whole columns: ten
// slots of column size, each tagged constant, vector or string and numeric or
// categorical (with its labels). Columns hold the evaluated range at their front: entry
// i belongs to record fromRec + i, and so do the weights.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "data/categorize.h"
#include "expr/aggregate.h"
#include "expr/evaluation_source.h"
#include "expr/expression_parser.h"
#include "platform/column_memory.h"

namespace tessary {

inline constexpr int kEvaluationSlots = 10;
inline constexpr std::size_t kMostLookupTables = 64;

struct Slot {
  double* values = nullptr;
  char valueTag = 'C';  // 'C' constant, 'V' vector, 'S' string (a lookup table index)
  char kind = 'N';      // 'N' numeric, 'C' categorical
  LabelMap labels;

  bool constant() const { return valueTag == 'C'; }
  bool categorical() const { return kind == 'C'; }
};

class Evaluator {
 public:
  Evaluator(ExpressionParser& expression, EvaluationSource& source)
      : expression_(expression), source_(source) {}

  // Runs the postfix list over records fromRec..toRec into the front of `result`, which
  // holds at least the source's slot size. Returns true when the result is categorical
  // (its labels then go to labelsOut when given). Failures are raised.
  bool run(std::span<double> result, const double* weights, std::int64_t fromRec,
           std::int64_t toRec, LabelMap* labelsOut);

 private:
  void step(const std::vector<Token>& postfix, std::size_t index);
  Slot& push();
  Slot& top(int fromTop = 0) { return slots_[static_cast<std::size_t>(depth_ - 1 - fromTop)]; }
  void pushConstant(double value);
  void pushString(const std::vector<Token>& postfix, std::size_t index);
  void pushVariable(const std::string& name);

  void applyOperator(const std::string& op);
  void applyCategoricalProduct(Slot& x, Slot& y);
  void applyFunction(const std::string& name);
  // Runs the cluster aggregate `name`; false when it is not one.
  bool applyAggregate(const std::string& name, int parameters);

  void toVector(Slot& slot);
  std::size_t rangeSize() const { return range_; }

  double sumOf(const Slot& x) const;
  double percentile(const Slot& x, double p);
  void categorize(Slot& x);
  void lookup(Slot& x, const Slot& table);

  ExpressionParser& expression_;
  EvaluationSource& source_;
  std::array<Slot, kEvaluationSlots> slots_;
  std::array<ColumnBuffer<double>, kEvaluationSlots> buffers_;
  int depth_ = 0;
  std::size_t slotSize_ = 0;
  std::size_t range_ = 0;
  std::int64_t fromRec_ = 1;
  std::int64_t toRec_ = 0;
  const double* weights_ = nullptr;
  std::vector<std::string> lookupNames_;
  AggregateScratch scratch_;
  ColumnBuffer<double> extra_;
};

// The rule of combined codes: left × 10^d + right, d the digit count of the right
// operand's largest code. Returns the codes' labels ("left * right") for the codes that
// occur, or raises the production messages.
LabelMap combineCategories(double* left, const LabelMap& leftLabels, const double* right,
                           const LabelMap& rightLabels, std::size_t n);

}  // namespace tessary
