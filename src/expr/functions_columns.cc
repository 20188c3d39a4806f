// The functions that need the whole evaluated range: sequences, summaries, the
// categorisation, rules, lookups and the record bitmaps.
#include <algorithm>
#include <cmath>
#include <vector>

#include "expr/function_call.h"
#include "expr/lookup_table.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "numeric/saturating_cast.h"

namespace tessary {
namespace {

// The result becomes one numeric value.
void setConstant(Slot& x, double value) {
  x.values[0] = value;
  x.shape = SlotShape::kConstant;
  x.makeNumeric();
}

// Σw·x and Σw over the records where both are finite; w is `weights` when given, else
// the call's weights, else 1.
struct WeightedTotals {
  double sum = 0.0;
  double total = 0.0;
};
WeightedTotals weightedTotals(const FunctionCall& call, const Slot& x, const Slot* weights) {
  WeightedTotals totals;
  for (std::size_t i = 0; i < call.records; ++i) {
    const double v = x.at(i);
    double w = 1.0;
    if (weights != nullptr)
      w = weights->at(i);
    else if (call.weights != nullptr)
      w = call.weights[i];
    if (!std::isfinite(v) || !std::isfinite(w)) continue;
    totals.sum += w * v;
    totals.total += w;
  }
  return totals;
}

// The first sorted value at which the weight accumulated over runs of equal values
// reaches p·W; MISSING without finite values.
double weightedQuantile(FunctionCall& call, const Slot& x, double p) {
  call.scratch.sorted.resize(call.records);
  KeyedRecord* records = call.scratch.sorted.data();
  std::size_t count = 0;
  double total = 0.0;
  for (std::size_t i = 0; i < call.records; ++i) {
    const double v = x.at(i);
    const double w = call.weights != nullptr ? call.weights[i] : 1.0;
    if (!std::isfinite(v) || !std::isfinite(w)) continue;
    records[count++] = KeyedRecord{v, v, w, i};
    total += w;
  }
  if (count == 0) return MISSING;
  std::sort(records, records + count,
            [](const KeyedRecord& a, const KeyedRecord& b) { return a.key < b.key; });
  const double target = p * total;
  double accumulated = 0.0;
  for (std::size_t start = 0; start < count;) {
    std::size_t end = start;
    while (end < count && records[end].key == records[start].key)
      accumulated += records[end++].weight;
    if (accumulated >= target) return records[start].key;
    start = end;
  }
  return records[count - 1].key;
}

void bitsToValues(const std::vector<std::uint8_t>& bitmap, const FunctionCall& call, Slot& out) {
  for (std::size_t i = 0; i < call.records; ++i) {
    const auto bit = static_cast<std::size_t>(call.fromRec - 1) + i;
    const bool set = bit / 8 < bitmap.size() && ((bitmap[bit / 8] >> (bit % 8)) & 1) != 0;
    out.values[i] = set ? 1.0 : 0.0;
  }
  out.shape = SlotShape::kVector;
}

void applyCurrentRule(FunctionCall& call, bool setMissing) {
  Slot& x = call.result();
  toVector(x, call.records);
  call.rule->apply(x.values, 1, static_cast<std::int64_t>(call.records), setMissing);
}

}  // namespace

namespace builtin {

void isFirst(FunctionCall& call) {
  Slot& x = call.result();
  toVector(x, call.records);
  double previous = x.values[0];
  x.values[0] = 0.0;
  for (std::size_t i = 1; i < call.records; ++i) {
    const double current = x.values[i];
    // Two missing values count as equal.
    const bool same =
        std::isfinite(current) || std::isfinite(previous) ? current == previous : true;
    x.values[i] = same ? 1.0 : 0.0;
    previous = current;
  }
  x.makeNumeric();
}

void isDuplicate(FunctionCall& call) {
  Slot& x = call.result();
  toVector(x, call.records);
  const std::size_t n = call.records;
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
  x.makeNumeric();
}

void minimum(FunctionCall& call) {
  Slot& x = call.result();
  double lowest = MISSING;
  bool found = false;
  for (std::size_t i = 0; i < (x.constant() ? 1 : call.records); ++i) {
    const double v = x.values[i];
    if (std::isfinite(v) && (!found || v < lowest)) lowest = v;
    found |= std::isfinite(v);
  }
  setConstant(x, lowest);
}

void sum(FunctionCall& call) {
  Slot& x = call.result();
  if (x.categorical()) raiseFailure("ERROR: SUM(factor) is invalid");
  double total = 0.0;
  if (x.constant()) {
    total = std::isfinite(x.values[0]) ? x.values[0] * static_cast<double>(call.records) : 0.0;
  } else {
    for (std::size_t i = 0; i < call.records; ++i)
      if (std::isfinite(x.values[i])) total += x.values[i];
  }
  setConstant(x, total);
}

void mean(FunctionCall& call) {
  const WeightedTotals totals = weightedTotals(call, call.result(), nullptr);
  // Without weights the sum is divided by every record of the range, missing or not.
  const double divisor = call.weights != nullptr ? totals.total : static_cast<double>(call.records);
  setConstant(call.result(), totals.sum / divisor);
}

void weightedMean(FunctionCall& call) {
  const WeightedTotals totals = weightedTotals(call, call.result(), &call.operand(1));
  setConstant(call.result(), totals.sum / totals.total);
}

void weightedSum(FunctionCall& call) {
  setConstant(call.result(), weightedTotals(call, call.result(), &call.operand(1)).sum);
}

void percentile(FunctionCall& call) {
  const Slot& point = call.operand(1);
  if (!point.constant()) raiseFailure("ERROR: percentile point must be a constant.\n");
  const double p = point.values[0];
  if (!(p >= 0.0 && p <= 1.0))
    raiseFailure("ERROR: percentile point must be within range [0,1].\n");
  setConstant(call.result(), weightedQuantile(call, call.result(), p));
}

void categorize(FunctionCall& call) {
  Slot& x = call.result();
  toVector(x, call.records);
  std::vector<Category> categories;
  LabelMap labels = x.categorical() ? x.labels : LabelMap{};
  const int result = categorizeColumn(std::span<double>(x.values, call.records), labels, nullptr,
                                      false, 1, categories);
  if (result < 0) raiseFailure(categorizeFailureText(result));
  x.makeCategorical(std::move(labels));
}

void encode(FunctionCall& call) {
  if (call.rule == nullptr) raiseFailure("ERROR: Value-Set expected\n");
  applyCurrentRule(call, false);
  call.result().makeCategorical({});
}

void setMissing(FunctionCall& call) {
  if (call.rule == nullptr || call.rule->groupCount() != 1)
    raiseFailure(call.data.combined() ? "ERROR: SetMissing() accepts 1 group only.\n"
                                      : "ERROR: SetMissing() accepts only 1 group\n");
  applyCurrentRule(call, true);
}

void lookup(FunctionCall& call) {
  Slot& x = call.result();
  const Slot& table = call.operand(1);
  if (x.constant() || !table.tableName())
    raiseFailure("Incorrect specification for lookup function");
  const auto index = static_cast<std::size_t>(saturatingInt32(table.values[0]));
  if (index >= call.lookupNames.size()) raiseFailure("Incorrect specification for lookup function");
  translate(call.lookupNames[index], x.values, call.records);
  x.makeNumeric();
}

void globalMask(FunctionCall& call) {
  std::vector<std::uint8_t> bitmap;
  call.data.globalMask(bitmap);
  bitsToValues(bitmap, call, call.result());
}

void allMissed(FunctionCall& call) {
  std::vector<std::uint8_t> bitmap;
  call.data.holeUnion(bitmap);
  bitsToValues(bitmap, call, call.result());
}

}  // namespace builtin
}  // namespace tessary
