// The cluster aggregate functions: argument checks, then the grouping the data set
// offers (identifier runs or clusters) or the grouping by another column (ON forms).
#include <algorithm>
#include <cmath>

#include "expr/function_call.h"
#include "frame/failure.h"
#include "numeric/saturating_cast.h"

namespace tessary {
namespace {

// Digits beyond this only make every key zero.
constexpr double kMostDigits = 400.0;

// The digits to shift, checked.
int digitsOf(const Slot& slot, const char* notConstant, const char* negative) {
  if (!slot.constant()) raiseFailure(notConstant);
  const double digits = slot.values[0];
  if (!(digits >= 0)) raiseFailure(negative);
  return saturatingInt32(std::min(digits, kMostDigits));
}

int checkedDigits(FunctionCall& call) {
  const AggregateForm& form = call.function.aggregate;
  Slot& last = call.operands.back();
  if (form.op == kAggregateSerial) {
    if (!last.constant()) raiseFailure("ERROR: Digits to shift must be a constant.\n");
    const double d = last.values[0];
    if (!(d >= 0) || d != std::trunc(d))
      raiseFailure("ERROR: Digits must be a non-negtive integer.\n");
    return saturatingInt32(std::min(d, kMostDigits));
  }
  if (form.grouping == Grouping::kBy)
    return digitsOf(last, "ERROR: Digits to shift must be a constant.\n",
                    "ERROR: Digits must be a non-negtive number.\n");
  if (form.grouping == Grouping::kOn) {
    const int digits =
        digitsOf(last, "ERROR: The 3rd parameter (Digits to shift) must be a constant.\n",
                 "ERROR: Digits must be a non-negtive number.\n");
    if (call.operands[call.operands.size() - 2].constant())
      raiseFailure(form.takesColumn ? "ERROR: The 2nd parameter must not be a constant.\n"
                                    : "ERROR: Base must NOT be a constant.\n");
    return digits;
  }
  return 0;
}

}  // namespace

namespace builtin {

void aggregate(FunctionCall& call) {
  const AggregateForm& form = call.function.aggregate;
  const int digits = checkedDigits(call);
  if (form.op == kAggregateGet && call.operand(1).constant())
    raiseFailure("Condi_expr must be a 0-1 vector.");

  Slot& x = call.result();
  const std::size_t n = call.records;
  const double* base = nullptr;
  if (form.grouping == Grouping::kOn) base = call.operands[call.operands.size() - 2].values;
  if (form.takesColumn) {
    toVector(x, n);
  } else {
    // The counting forms start from zeros. CCOUNTON(base, digits) writes its result
    // where the base is, so the base moves to a buffer of its own first.
    if (base == x.values) {
      call.scratch.base.resize(std::max<std::size_t>(n, 1));
      std::copy_n(x.values, n, call.scratch.base.data());
      base = call.scratch.base.data();
    }
    std::fill_n(x.values, n, 0.0);
  }
  const double* w = nullptr;
  if (form.weighted) {
    toVector(call.operand(1), n);
    w = call.operand(1).values;
  } else if (form.op == kAggregateGet) {
    w = call.operand(1).values;
  }
  if (form.grouping == Grouping::kOn)
    onAggregate(form.op, x.values, w, base, digits, n, call.scratch);
  else
    aggregateGroups(call.data, form.op, x.values, w, digits, call.fromRec, call.toRec,
                    call.scratch);
  x.shape = SlotShape::kVector;
  x.makeNumeric();
}

}  // namespace builtin
}  // namespace tessary
