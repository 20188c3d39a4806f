// The cluster aggregate functions: argument checks, then the grouping the data set
// offers (identifier runs or clusters) or the grouping by another column (ON forms).
#include <algorithm>
#include <cmath>
#include <map>

#include "expr/evaluator.h"
#include "frame/failure.h"
#include "frame/missing.h"

namespace tessary {
namespace {

enum class Grouping { kPlain, kBy, kOn };

struct AggregateForm {
  int op = 0;
  Grouping grouping = Grouping::kPlain;
  bool weighted = false;
  bool takesColumn = true;  // false for the counting forms
};

const std::map<std::string, AggregateForm, std::less<>>& aggregateForms() {
  static const auto* forms = [] {
    auto* table = new std::map<std::string, AggregateForm, std::less<>>;
    const struct {
      const char* name;
      int op;
    } bases[] = {{"CMAX", kAggregateMax},     {"CMIN", kAggregateMin}, {"CMEAN", kAggregateMean},
                 {"CCOUNT", kAggregateCount}, {"CSUM", kAggregateSum}, {"CERR", kAggregateError},
                 {"CFIRST", kAggregateFirst}};
    for (const auto& base : bases) {
      const bool column = base.op != kAggregateCount;
      const std::string name = base.name;
      (*table)[name] = {base.op, Grouping::kPlain, false, column};
      (*table)[name + "BY"] = {base.op, Grouping::kBy, false, column};
      (*table)[name + "ON"] = {base.op, Grouping::kOn, false, column};
      if (base.op == kAggregateMean || base.op == kAggregateSum) {
        (*table)["W" + name] = {base.op, Grouping::kPlain, true, true};
        (*table)["W" + name + "BY"] = {base.op, Grouping::kBy, true, true};
        (*table)["W" + name + "ON"] = {base.op, Grouping::kOn, true, true};
      }
    }
    (*table)["LCOUNT"] = {kAggregateLevelCount, Grouping::kPlain, false, false};
    (*table)["ICOUNT"] = {kAggregateIdentifierCount, Grouping::kPlain, false, false};
    (*table)["RCOUNT"] = {kAggregateRecordCount, Grouping::kPlain, false, false};
    (*table)["CGET"] = {kAggregateGet, Grouping::kPlain, false, true};
    (*table)["CSERIAL"] = {kAggregateSerial, Grouping::kBy, false, false};
    (*table)["CSERIALBY"] = {kAggregateSerialBy, Grouping::kBy, false, true};
    return table;
  }();
  return *forms;
}

// The digits to shift, checked; large values only make every key zero.
int digitsOf(const Slot& slot, const char* notConstant, const char* negative) {
  if (!slot.constant()) raiseFailure(notConstant);
  const double digits = slot.values[0];
  if (!(digits >= 0)) raiseFailure(negative);
  return static_cast<int>(std::min(digits, 400.0));
}

}  // namespace

bool Evaluator::applyAggregate(const std::string& name, int parameters) {
  const auto& forms = aggregateForms();
  auto found = forms.find(name);
  if (found == forms.end()) return false;
  const AggregateForm& form = found->second;
  const std::size_t n = range_;
  if (parameters == 0) push();
  const int count = std::max(parameters, 1);
  auto arg = [&](int k) -> Slot& { return slots_[static_cast<std::size_t>(depth_ - count + k)]; };
  Slot& x = arg(0);

  int digits = 0;
  if (form.op == kAggregateSerial) {
    if (!x.constant()) raiseFailure("ERROR: Digits to shift must be a constant.\n");
    const double d = x.values[0];
    if (!(d >= 0) || d != std::trunc(d))
      raiseFailure("ERROR: Digits must be a non-negtive integer.\n");
    digits = static_cast<int>(std::min(d, 400.0));
  } else if (form.grouping == Grouping::kBy) {
    digits = digitsOf(arg(count - 1), "ERROR: Digits to shift must be a constant.\n",
                      "ERROR: Digits must be a non-negtive number.\n");
  } else if (form.grouping == Grouping::kOn) {
    digits =
        digitsOf(arg(count - 1), "ERROR: The 3rd parameter (Digits to shift) must be a constant.\n",
                 "ERROR: Digits must be a non-negtive number.\n");
    if (arg(count - 2).constant())
      raiseFailure(form.takesColumn ? "ERROR: The 2nd parameter must not be a constant.\n"
                                    : "ERROR: Base must NOT be a constant.\n");
  }
  if (form.op == kAggregateGet && arg(1).constant())
    raiseFailure("Condi_expr must be a 0-1 vector.");

  // The operand: the column, or a fresh column for the counting forms (whose first
  // parameter, if any, is the base or the digits).
  const Slot* base = form.grouping == Grouping::kOn ? &arg(count - 2) : nullptr;
  if (!form.takesColumn) {
    if (base == &x) {
      // CCOUNTON(base, digits): the result takes the place of the base, so the base
      // moves to a buffer of its own first.
      extra_.resize(std::max<std::size_t>(slotSize_, 1));
      std::copy_n(x.values, n, extra_.data());
      base = nullptr;
    }
    x.valueTag = 'V';
    std::fill_n(x.values, n, 0.0);
  } else {
    toVector(x);
  }
  const double* w = nullptr;
  if (form.weighted) {
    toVector(arg(1));
    w = arg(1).values;
  } else if (form.op == kAggregateGet) {
    w = arg(1).values;
  }
  if (form.grouping == Grouping::kOn) {
    const double* keys = base != nullptr ? base->values : extra_.data();
    onAggregate(form.op, x.values, w, keys, digits, n, scratch_);
  } else {
    source_.aggregate(form.op, x.values, w, digits, fromRec_, toRec_, scratch_);
  }
  x.kind = 'N';
  x.labels.clear();
  x.valueTag = 'V';
  depth_ -= count - 1;
  return true;
}

}  // namespace tessary
