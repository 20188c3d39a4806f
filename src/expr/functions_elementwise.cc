// The functions that work record by record; they also run block by block.
#include <algorithm>
#include <cmath>
#include <string>

#include "expr/function_call.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "numeric/saturating_cast.h"
#include "numeric/vector_functions.h"

namespace tessary {
namespace {

// Powers of ten built by repeated multiplication; the loop stops where the power has
// long become infinite or zero.
double powerOfTen(double exponent) {
  constexpr std::int32_t kMostSteps = 400;
  const std::int32_t steps = std::min(saturatingInt32(std::fabs(exponent)), kMostSteps);
  const double factor = exponent < 0 ? 0.1 : 10.0;
  double power = 1.0;
  for (std::int32_t i = 0; i < steps; ++i)
    power *= factor;
  return power;
}

// Truncation toward zero; MISSING for a missing value.
double truncated(double v) {
  if (!std::isfinite(v)) return MISSING;
  return std::trunc(v);
}

// Applies f to every value of the first operand; the result is numeric.
template <class F>
void mapValues(FunctionCall& call, F f) {
  Slot& x = call.result();
  const std::size_t count = x.constant() ? 1 : call.records;
  for (std::size_t i = 0; i < count; ++i)
    x.values[i] = f(x.values[i]);
  x.makeNumeric();
}

// The mathematical functions refuse a categorical operand, naming themselves.
template <class F>
void mapNumeric(FunctionCall& call, F f) {
  if (call.result().categorical())
    raiseFailure("ERROR: " + std::string(call.function.name) + "(factor) is invalid");
  mapValues(call, f);
}

// The same through a vectorised array function (numeric/vector_functions.h).
void mapNumericArray(FunctionCall& call, void (*f)(const double*, double*, std::size_t)) {
  Slot& x = call.result();
  if (x.categorical())
    raiseFailure("ERROR: " + std::string(call.function.name) + "(factor) is invalid");
  f(x.values, x.values, x.constant() ? 1 : call.records);
  x.makeNumeric();
}

double constantOf(const Slot& slot, const char* message) {
  if (!slot.constant()) raiseFailure(message);
  return slot.values[0];
}

}  // namespace

namespace builtin {

void absolute(FunctionCall& call) {
  mapValues(call, [](double v) { return std::fabs(v); });
}
void logarithm(FunctionCall& call) {
  mapNumericArray(call, vmath::log);
}
void squareRoot(FunctionCall& call) {
  mapNumericArray(call, vmath::sqrt);
}
void sine(FunctionCall& call) {
  mapNumeric(call, [](double v) { return std::sin(v); });
}
void cosine(FunctionCall& call) {
  mapNumeric(call, [](double v) { return std::cos(v); });
}
void exponential(FunctionCall& call) {
  mapNumericArray(call, vmath::exp);
}
void arcSine(FunctionCall& call) {
  mapNumeric(call, [](double v) { return std::asin(v); });
}
void arcCosine(FunctionCall& call) {
  mapNumeric(call, [](double v) { return std::acos(v); });
}
void integerPart(FunctionCall& call) {
  mapValues(call, truncated);
}
void isMissing(FunctionCall& call) {
  mapValues(call, [](double v) { return std::isfinite(v) ? 0.0 : 1.0; });
}
void valueOf(FunctionCall& call) {
  call.result().makeNumeric();
}
void count(FunctionCall& call) {
  call.result().values[0] = static_cast<double>(call.data.recordCount());
}
void missingValue(FunctionCall& call) {
  call.result().values[0] = MISSING;
}

void round(FunctionCall& call) {
  const double digits =
      constantOf(call.operand(1), "ERROR: The 2nd param of ROUND() must be a constant");
  const double k = std::isfinite(digits) ? std::trunc(digits) : 0.0;
  if (k == 0) return mapValues(call, [](double v) { return truncated(v + 0.5); });
  const double scale = powerOfTen(k);
  const double half = 0.5 * powerOfTen(-k);
  mapValues(call, [=](double v) {
    return std::isfinite(v) ? std::trunc((v + half) * scale) / scale : MISSING;
  });
}

void segment(FunctionCall& call) {
  if (!call.operand(1).constant() || !call.operand(2).constant())
    raiseFailure("Contants expected.");
  const double start = call.operand(1).values[0];
  const double length = call.operand(2).values[0];
  if (!(start > 0 && start >= length)) raiseFailure("Invalid start or length");
  const double s = std::trunc(start);
  const double l = std::isfinite(length) ? std::trunc(length) : 0.0;
  const double cut = powerOfTen(s);
  const double shift = powerOfTen(s - l);
  mapValues(call, [=](double v) {
    if (!std::isfinite(v)) return MISSING;
    return std::trunc((v - std::trunc(v / cut) * cut) / shift);
  });
}

void chooseIf(FunctionCall& call) {
  Slot& condition = call.result();
  const Slot& a = call.operand(1);
  const Slot& b = call.operand(2);
  if (condition.constant()) {
    // A constant condition selects a whole operand, kind and labels included.
    const Slot& chosen = condition.values[0] != 0.0 ? a : b;
    std::copy_n(chosen.values, chosen.constant() ? 1 : call.records, condition.values);
    condition.shape = chosen.shape;
    condition.kind = chosen.kind;
    condition.labels = chosen.labels;
    return;
  }
  // One loop per shape of the operands, so that each compiles to a blend.
  auto choose = [&]<bool aConstant, bool bConstant>() {
    double* c = condition.values;
    const double* x = a.values;
    const double* y = b.values;
    for (std::size_t i = 0; i < call.records; ++i)
      c[i] = c[i] != 0.0 ? x[aConstant ? 0 : i] : y[bConstant ? 0 : i];
  };
  if (a.constant() && b.constant())
    choose.template operator()<true, true>();
  else if (a.constant())
    choose.template operator()<true, false>();
  else if (b.constant())
    choose.template operator()<false, true>();
  else
    choose.template operator()<false, false>();
  condition.makeNumeric();
}

void bound(FunctionCall& call) {
  const double low = constantOf(call.operand(1), "ERROR: Left-bound must be a constant.\n");
  const double high = constantOf(call.operand(2), "ERROR: Right-bound must be a constant.\n");
  mapValues(call, [=](double v) {
    if (!std::isfinite(v)) return v;
    return v < low ? low : (v > high ? high : v);
  });
}

}  // namespace builtin
}  // namespace tessary
