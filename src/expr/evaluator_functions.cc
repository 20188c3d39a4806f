// The built-in functions of the stack machine (the cluster aggregates have a file of
// their own).
#include <algorithm>
#include <cmath>

#include "expr/evaluator.h"
#include "expr/lookup_table.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/text.h"

namespace tessary {
namespace {

// Powers of ten built by repeated multiplication; the loop stops where the power has
// long become infinite or zero.
double powerOfTen(double exponent) {
  constexpr int kMostSteps = 400;
  const int steps = static_cast<int>(std::clamp(std::fabs(exponent), 0.0, double{kMostSteps}));
  const double factor = exponent < 0 ? 0.1 : 10.0;
  double power = 1.0;
  for (int i = 0; i < steps; ++i)
    power *= factor;
  return power;
}

// Truncation toward zero as through a 64-bit integer; MISSING for a missing value.
double truncated(double v) {
  if (!std::isfinite(v)) return MISSING;
  return std::trunc(v);
}

template <class F>
void mapValues(Slot& x, std::size_t n, F f) {
  const std::size_t count = x.constant() ? 1 : n;
  for (std::size_t i = 0; i < count; ++i)
    x.values[i] = f(x.values[i]);
  x.kind = 'N';
  x.labels.clear();
}

void requireConstant(const Slot& slot, const char* message) {
  if (!slot.constant()) raiseFailure(message);
}

void bitsToValues(const std::vector<std::uint8_t>& bitmap, std::int64_t fromRec, std::size_t n,
                  double* out) {
  for (std::size_t i = 0; i < n; ++i) {
    const auto bit = static_cast<std::size_t>(fromRec - 1) + i;
    const bool set = bit / 8 < bitmap.size() && ((bitmap[bit / 8] >> (bit % 8)) & 1) != 0;
    out[i] = set ? 1.0 : 0.0;
  }
}

}  // namespace

double Evaluator::sumOf(const Slot& x) const {
  if (x.constant())
    return std::isfinite(x.values[0]) ? x.values[0] * static_cast<double>(range_) : 0.0;
  double sum = 0.0;
  for (std::size_t i = 0; i < range_; ++i)
    if (std::isfinite(x.values[i])) sum += x.values[i];
  return sum;
}

double Evaluator::percentile(const Slot& x, double p) {
  scratch_.sorted.resize(range_);
  KeyedRecord* records = scratch_.sorted.data();
  std::size_t count = 0;
  double total = 0.0;
  for (std::size_t i = 0; i < range_; ++i) {
    const double v = x.constant() ? x.values[0] : x.values[i];
    const double w = weights_ != nullptr ? weights_[i] : 1.0;
    if (!std::isfinite(v) || !std::isfinite(w)) continue;
    records[count++] = KeyedRecord{v, v, w, i};
    total += w;
  }
  if (count == 0) return MISSING;
  std::sort(records, records + count,
            [](const KeyedRecord& a, const KeyedRecord& b) { return a.key < b.key; });
  const double target = p * total;
  double accumulated = 0.0;
  std::size_t start = 0;
  while (start < count) {
    std::size_t end = start;
    while (end < count && records[end].key == records[start].key)
      accumulated += records[end++].weight;
    if (accumulated >= target) return records[start].key;
    start = end;
  }
  return records[count - 1].key;
}

void Evaluator::categorize(Slot& x) {
  toVector(x);
  std::vector<Category> categories;
  const LabelMap labels = x.categorical() ? x.labels : LabelMap{};
  const int result =
      categorizeColumn(std::span<double>(x.values, range_), labels, nullptr, false, 1, categories);
  if (result < 0) raiseFailure(categorizeFailureText(result));
  x.kind = 'C';
  x.labels = labels;
}

void Evaluator::lookup(Slot& x, const Slot& table) {
  if (x.constant() || table.valueTag != 'S')
    raiseFailure("Incorrect specification for lookup function");
  const auto index = static_cast<std::size_t>(table.values[0]);
  translate(lookupNames_.at(index), x.values, range_);
  x.kind = 'N';
  x.labels.clear();
}

void Evaluator::applyFunction(const std::string& name) {
  const int parameters = expression_.parameterCount(name);
  if (parameters < 0) raiseFailure("Unknown function " + name + "\n");
  const bool takesRule = name == "ENCODE" || name == "SETMISSING";
  const int needed = takesRule ? parameters - 1 : parameters;
  if (depth_ < needed)
    raiseFailure(formatText("ERROR: %s needs parameter(s)\n%i found\n%i expected", name.c_str(),
                            depth_, needed));
  for (int k = 0; k < needed; ++k) {
    const bool lookupName = name == "LOOKUP" && k == 0;
    if (top(k).valueTag == 'S' && !lookupName)
      raiseFailure("Incorrect specification for lookup function");
  }
  if (applyAggregate(name, needed)) return;

  const std::size_t n = range_;
  if (needed == 0) {
    Slot& slot = push();
    if (name == "COUNT") {
      slot.values[0] = static_cast<double>(source_.recordCount());
    } else if (name == "NA") {
      slot.values[0] = MISSING;
    } else if (name == "GMASK" || name == "ALLMISSED") {
      std::vector<std::uint8_t> bitmap;
      if (name == "GMASK")
        source_.globalMask(bitmap);
      else
        source_.holeUnion(bitmap);
      bitsToValues(bitmap, fromRec_, n, slot.values);
      slot.valueTag = 'V';
    } else {
      raiseFailure("Unknown function " + name + "\n");
    }
    return;
  }

  Slot& x = slots_[static_cast<std::size_t>(depth_ - needed)];
  auto arg = [&](int k) -> Slot& { return slots_[static_cast<std::size_t>(depth_ - needed + k)]; };
  auto refuseFactor = [&](const char* function) {
    if (x.categorical()) raiseFailure(std::string("ERROR: ") + function + "(factor) is invalid");
  };

  if (name == "ABS") {
    mapValues(x, n, [](double v) { return std::fabs(v); });
  } else if (name == "LOG") {
    refuseFactor("LOG");
    mapValues(x, n, [](double v) { return std::log(v); });
  } else if (name == "SQRT") {
    refuseFactor("SQRT");
    mapValues(x, n, [](double v) { return std::sqrt(v); });
  } else if (name == "SIN") {
    refuseFactor("SIN");
    mapValues(x, n, [](double v) { return std::sin(v); });
  } else if (name == "COS") {
    refuseFactor("COS");
    mapValues(x, n, [](double v) { return std::cos(v); });
  } else if (name == "EXP") {
    refuseFactor("EXP");
    mapValues(x, n, [](double v) { return std::exp(v); });
  } else if (name == "ASIN") {
    refuseFactor("ASIN");
    mapValues(x, n, [](double v) { return std::asin(v); });
  } else if (name == "ACOS") {
    refuseFactor("ACOS");
    mapValues(x, n, [](double v) { return std::acos(v); });
  } else if (name == "INT") {
    mapValues(x, n, truncated);
  } else if (name == "ROUND") {
    requireConstant(arg(1), "ERROR: The 2nd param of ROUND() must be a constant");
    const double k = std::isfinite(arg(1).values[0]) ? std::trunc(arg(1).values[0]) : 0.0;
    if (k == 0) {
      mapValues(x, n, [](double v) { return truncated(v + 0.5); });
    } else {
      const double scale = powerOfTen(k);
      const double half = 0.5 * powerOfTen(-k);
      mapValues(x, n, [=](double v) {
        return std::isfinite(v) ? std::trunc((v + half) * scale) / scale : MISSING;
      });
    }
  } else if (name == "SEG") {
    if (!arg(1).constant() || !arg(2).constant()) raiseFailure("Contants expected.");
    const double start = arg(1).values[0];
    const double length = arg(2).values[0];
    if (!(start > 0 && start >= length)) raiseFailure("Invalid start or length");
    const double s = std::trunc(start);
    const double l = std::isfinite(length) ? std::trunc(length) : 0.0;
    const double cut = powerOfTen(s);
    const double shift = powerOfTen(s - l);
    mapValues(x, n, [=](double v) {
      if (!std::isfinite(v)) return MISSING;
      return std::trunc((v - std::trunc(v / cut) * cut) / shift);
    });
  } else if (name == "IIF") {
    Slot& a = arg(1);
    Slot& b = arg(2);
    if (x.constant()) {
      const Slot& chosen = x.values[0] != 0.0 ? a : b;
      std::copy_n(chosen.values, chosen.constant() ? 1 : n, x.values);
      x.valueTag = chosen.valueTag;
      x.kind = chosen.kind;
      x.labels = chosen.labels;
    } else {
      for (std::size_t i = 0; i < n; ++i) {
        const double va = a.constant() ? a.values[0] : a.values[i];
        const double vb = b.constant() ? b.values[0] : b.values[i];
        x.values[i] = x.values[i] != 0.0 ? va : vb;
      }
      x.kind = 'N';
      x.labels.clear();
    }
  } else if (name == "BOUNDING") {
    requireConstant(arg(1), "ERROR: Left-bound must be a constant.\n");
    requireConstant(arg(2), "ERROR: Right-bound must be a constant.\n");
    const double low = arg(1).values[0];
    const double high = arg(2).values[0];
    mapValues(x, n, [=](double v) {
      if (!std::isfinite(v)) return v;
      return v < low ? low : (v > high ? high : v);
    });
  } else if (name == "ISMISSING") {
    mapValues(x, n, [](double v) { return std::isfinite(v) ? 0.0 : 1.0; });
  } else if (name == "ISFIRST") {
    toVector(x);
    double previous = x.values[0];
    x.values[0] = 0.0;
    for (std::size_t i = 1; i < n; ++i) {
      const double current = x.values[i];
      const bool same =
          std::isfinite(current) || std::isfinite(previous) ? current == previous : true;
      x.values[i] = same ? 1.0 : 0.0;
      previous = current;
    }
    x.kind = 'N';
    x.labels.clear();
  } else if (name == "ISDUP") {
    toVector(x);
    double previous = MISSING;
    for (std::size_t i = 0; i < n; ++i) {
      const double current = x.values[i];
      if (!std::isfinite(current)) {
        x.values[i] = MISSING;
      } else {
        const bool duplicate =
            (i > 0 && previous == current) || (i + 1 < n && x.values[i + 1] == current);
        x.values[i] = duplicate ? 1.0 : 0.0;
      }
      previous = current;
    }
    x.kind = 'N';
    x.labels.clear();
  } else if (name == "MIN") {
    double lowest = MISSING;
    bool found = false;
    for (std::size_t i = 0; i < (x.constant() ? 1 : n); ++i) {
      const double v = x.values[i];
      if (std::isfinite(v) && (!found || v < lowest)) lowest = v;
      found |= std::isfinite(v);
    }
    x.values[0] = lowest;
    x.valueTag = 'C';
    x.kind = 'N';
    x.labels.clear();
  } else if (name == "SUM") {
    refuseFactor("SUM");
    x.values[0] = sumOf(x);
    x.valueTag = 'C';
    x.kind = 'N';
  } else if (name == "MEAN" || name == "WMEAN" || name == "WSUM") {
    const bool explicitWeights = name != "MEAN";
    const Slot* w = explicitWeights ? &arg(1) : nullptr;
    double sum = 0.0;
    double total = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      const double v = x.constant() ? x.values[0] : x.values[i];
      double weight = 1.0;
      if (w != nullptr)
        weight = w->constant() ? w->values[0] : w->values[i];
      else if (weights_ != nullptr)
        weight = weights_[i];
      if (!std::isfinite(v) || !std::isfinite(weight)) continue;
      sum += weight * v;
      total += weight;
    }
    if (name == "MEAN" && weights_ == nullptr) total = static_cast<double>(n);
    x.values[0] = name == "WSUM" ? sum : sum / total;
    x.valueTag = 'C';
    x.kind = 'N';
    x.labels.clear();
  } else if (name == "VALUEOF") {
    x.kind = 'N';
    x.labels.clear();
  } else if (name == "FACTOR" || name == "CATEGORIZE") {
    categorize(x);
  } else if (name == "ENCODE") {
    if (expression_.currentRule().groupCount() == 0) raiseFailure("ERROR: Value-Set expected\n");
    toVector(x);
    expression_.applyRule(x.values, 1, static_cast<std::int64_t>(n), false);
    x.kind = 'C';
    x.labels.clear();
  } else if (name == "SETMISSING") {
    if (expression_.currentRule().groupCount() != 1)
      raiseFailure(source_.combined() ? "ERROR: SetMissing() accepts 1 group only.\n"
                                      : "ERROR: SetMissing() accepts only 1 group\n");
    toVector(x);
    expression_.applyRule(x.values, 1, static_cast<std::int64_t>(n), true);
  } else if (name == "PCTL") {
    requireConstant(arg(1), "ERROR: percentile point must be a constant.\n");
    const double p = arg(1).values[0];
    if (!(p >= 0.0 && p <= 1.0))
      raiseFailure("ERROR: percentile point must be within range [0,1].\n");
    x.values[0] = percentile(x, p);
    x.valueTag = 'C';
    x.kind = 'N';
    x.labels.clear();
  } else if (name == "LOOKUP") {
    lookup(x, arg(1));
  } else {
    raiseFailure("Unknown function " + name + "\n");
  }
  depth_ -= needed - 1;
}

}  // namespace tessary
