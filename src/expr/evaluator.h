// The stack machine that runs an expression's program over whole columns: ten slots of
// column size, each a constant, a column or a lookup table name, numeric or
// categorical (with its labels). Columns hold the evaluated range at their front: entry
// i belongs to record fromRec + i, and so do the weights. The expression is only read:
// the current rule and the lookup table names live here, for one run.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "expr/expression_parser.h"
#include "expr/function_call.h"
#include "platform/column_memory.h"

namespace tessary {

inline constexpr int kEvaluationSlots = 10;
inline constexpr std::size_t kMostLookupTables = 64;

class BlockedEvaluation;
class BlockRunner;

class Evaluator {
 public:
  Evaluator(const ExpressionParser& expression, DataSet& data)
      : expression_(expression), program_(expression.postfix()), data_(data) {}

  // Runs the program over records fromRec..toRec into the front of `result`, which
  // holds at least the data set's slot size. Returns true when the result is categorical
  // (its labels then go to labelsOut when given). Failures are raised.
  bool run(std::span<double> result, const double* weights, std::int64_t fromRec,
           std::int64_t toRec, LabelMap* labelsOut);

 private:
  friend class BlockedEvaluation;
  friend class BlockRunner;

  // Takes the range, weights and slot size of `whole`, for a run over one block of it.
  void adoptRange(const Evaluator& whole);

  // Runs the whole program over range_ records into slot 0 and checks the outcome.
  void runProgram();
  void step(std::size_t index);
  Slot& push();
  Slot& top(int fromTop = 0) { return slots_[static_cast<std::size_t>(depth_ - 1 - fromTop)]; }
  void pushConstant(double value);
  void pushString(const Step& step);
  void pushVariable(const Step& step);
  void useRule(const Step& step);

  void applyOperator(Operator op);
  void applyUnary(Operator op, Slot& x);
  void applyBinary(Operator op, Slot& x, const Slot& y);
  void applyRule(Slot& x);
  void applyFunction(const BuiltInFunction& function);

  const ExpressionParser& expression_;
  const std::vector<Step>& program_;
  DataSet& data_;
  std::array<Slot, kEvaluationSlots> slots_;
  std::array<ColumnBuffer<double>, kEvaluationSlots> buffers_;
  int depth_ = 0;
  std::size_t slotSize_ = 0;
  // The records evaluated at once: the whole range, or one block of it.
  std::size_t range_ = 0;
  std::int64_t fromRec_ = 1;
  std::int64_t toRec_ = 0;
  const double* weights_ = nullptr;
  const RecodeRule* rule_ = nullptr;  // of the most recent rule step
  std::vector<std::string> lookupNames_;
  AggregateScratch scratch_;
  BlockRunner* blocks_ = nullptr;  // of a block's own evaluator
};

// Reads a variable for an evaluation (DataSet::read); a categorical variable without
// any category raises "<NAME> is not a categorical variable". Returns the kind.
char readVariable(DataSet& data, const std::string& name, std::span<double> values,
                  std::int64_t fromRec, std::int64_t toRec, LabelMap& labels);

// The rule of combined codes: left × 10^d + right, d the digit count of the right
// operand's largest code. Returns the codes' labels ("left * right") for the codes that
// occur, or raises the production messages.
LabelMap combineCategories(double* left, const LabelMap& leftLabels, const double* right,
                           const LabelMap& rightLabels, std::size_t n);

}  // namespace tessary
