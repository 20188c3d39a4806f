// The operators of the stack machine, each over whole columns (a constant operand
// stands for every record).
#include <cmath>

#include "expr/evaluator.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "numeric/saturating_cast.h"
#include "numeric/vector_functions.h"

namespace tessary {
namespace {

// Applies f elementwise to x and y into x; constants stand for every record.
template <class F>
void combine(Slot& x, const Slot& y, std::size_t n, F f) {
  double* out = x.values;
  const double* in = y.values;
  if (x.constant() && y.constant()) {
    out[0] = f(out[0], in[0]);
    return;
  }
  if (x.constant()) {
    const double a = out[0];
    for (std::size_t i = 0; i < n; ++i)
      out[i] = f(a, in[i]);
  } else if (y.constant()) {
    const double b = in[0];
    for (std::size_t i = 0; i < n; ++i)
      out[i] = f(out[i], b);
  } else {
    for (std::size_t i = 0; i < n; ++i)
      out[i] = f(out[i], in[i]);
  }
  x.shape = SlotShape::kVector;
}

// x ^ y through the vectorised power (numeric/vector_functions.h).
void power(Slot& x, const Slot& y, std::size_t n) {
  const bool constant = x.constant() && y.constant();
  vmath::pow(x.values, x.constant() ? 0 : 1, y.values, y.constant() ? 0 : 1, x.values,
             constant ? 1 : n);
  if (!constant) x.shape = SlotShape::kVector;
}

inline bool bothFinite(double a, double b) {
  return std::isfinite(a) && std::isfinite(b);
}

// The integer remainder of the operands truncated to 32 bits; MISSING where either is
// missing or beyond 32 bits, or the divisor is 0.
double remainderOf(double a, double b) {
  constexpr double kLimit = 2147483648.0;
  if (!bothFinite(a, b) || std::fabs(a) >= kLimit || std::fabs(b) >= kLimit) return MISSING;
  const std::int32_t x = saturatingInt32(a);
  const std::int32_t y = saturatingInt32(b);
  if (y == 0) return MISSING;
  if (y == -1) return 0.0;
  return static_cast<double>(x % y);
}

// When either operand is categorical: both categorical with '*' or '=', or one a
// constant with anything but '*'.
void checkCategoricalOperands(Operator op, const Slot& x, const Slot& y) {
  const bool both = x.categorical() && y.categorical();
  const bool otherConstant = x.categorical() ? y.constant() : x.constant();
  const bool allowed = (both && (op == Operator::kMultiply || op == Operator::kEqual)) ||
                       (!both && otherConstant && op != Operator::kMultiply);
  if (!allowed)
    raiseFailure("Expression invalid: only * operation is valid for 2 categorical(s).\n");
}

}  // namespace

void Evaluator::applyOperator(Operator op) {
  if (depth_ < 1) raiseFailure("Expression invalid: operand expected\n");
  if (op == Operator::kApplyRule) return applyRule(top());
  if (isUnary(op)) return applyUnary(op, top());
  if (depth_ < 2) raiseFailure("Expression invalid: missing operand\n");
  Slot& x = top(1);
  Slot& y = top();
  if (x.tableName() || y.tableName()) raiseFailure("Incorrect specification for lookup function");
  if (x.categorical() || y.categorical()) {
    checkCategoricalOperands(op, x, y);
    if (op == Operator::kMultiply && data_.combined()) {
      // Two categorical columns of a combined data array multiply into categories.
      toVector(x, range_);
      toVector(y, range_);
      x.labels = combineCategories(x.values, x.labels, y.values, y.labels, range_);
      --depth_;
      return;
    }
  }
  applyBinary(op, x, y);
  x.makeNumeric();
  --depth_;
}

void Evaluator::applyRule(Slot& x) {
  if (rule_ == nullptr) raiseFailure("ERROR: Recode/Trunc RULE expected\n");
  toVector(x, range_);
  rule_->apply(x.values, 1, static_cast<std::int64_t>(range_), false);
  x.makeCategorical({});
}

void Evaluator::applyUnary(Operator op, Slot& x) {
  if (x.tableName()) raiseFailure("Incorrect specification for lookup function");
  const std::size_t count = x.constant() ? 1 : range_;
  if (op == Operator::kNot) {
    for (std::size_t i = 0; i < count; ++i)
      x.values[i] = x.values[i] == 0.0 ? 1.0 : 0.0;
  } else {
    for (std::size_t i = 0; i < count; ++i)
      x.values[i] = -x.values[i];
  }
  x.makeNumeric();
}

void Evaluator::applyBinary(Operator op, Slot& x, const Slot& y) {
  const std::size_t n = range_;
  switch (op) {
    case Operator::kAdd:
      return combine(x, y, n, [](double a, double b) { return a + b; });
    case Operator::kSubtract:
      return combine(x, y, n, [](double a, double b) { return a - b; });
    case Operator::kMultiply:
      return combine(x, y, n, [](double a, double b) { return a * b; });
    case Operator::kDivide:
      return combine(x, y, n, [](double a, double b) { return a / b; });
    case Operator::kPower:
      return power(x, y, n);
    case Operator::kRemainder:
      return combine(x, y, n, remainderOf);
    case Operator::kLess:
      return combine(x, y, n, [](double a, double b) { return bothFinite(a, b) && a < b; });
    case Operator::kGreater:
      return combine(x, y, n, [](double a, double b) { return bothFinite(a, b) && a > b; });
    case Operator::kLessOrEqual:
      return combine(x, y, n, [](double a, double b) { return bothFinite(a, b) && a <= b; });
    case Operator::kGreaterOrEqual:
      return combine(x, y, n, [](double a, double b) { return bothFinite(a, b) && a >= b; });
    case Operator::kEqual:
      return combine(x, y, n, [](double a, double b) { return a == b; });
    case Operator::kNotEqual:
      return combine(x, y, n, [](double a, double b) { return a != b; });
    case Operator::kAnd:
      return combine(x, y, n, [](double a, double b) { return a != 0.0 && b != 0.0; });
    case Operator::kOr:
      return combine(x, y, n, [](double a, double b) { return a != 0.0 || b != 0.0; });
    default:
      raiseFailure("Expression invalid: an operator has no meaning here.\n");
  }
}

}  // namespace tessary
