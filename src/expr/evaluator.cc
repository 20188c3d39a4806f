#include "expr/evaluator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/text.h"

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
  x.valueTag = 'V';
}

inline bool bothFinite(double a, double b) {
  return std::isfinite(a) && std::isfinite(b);
}

double remainderOf(double a, double b) {
  constexpr double kLimit = 2147483648.0;
  if (!bothFinite(a, b) || std::fabs(a) >= kLimit || std::fabs(b) >= kLimit) return MISSING;
  const auto x = static_cast<std::int32_t>(a);
  const auto y = static_cast<std::int32_t>(b);
  if (y == 0) return MISSING;
  if (y == -1) return 0.0;
  return static_cast<double>(x % y);
}

}  // namespace

bool Evaluator::run(std::span<double> result, const double* weights, std::int64_t fromRec,
                    std::int64_t toRec, LabelMap* labelsOut) {
  slotSize_ = source_.slotSize();
  if (fromRec < 1 || toRec < fromRec || toRec > source_.recordCount())
    raiseFailure(formatText("Evaluation range %lld-%lld is beyond the %lld records.\n",
                            static_cast<long long>(fromRec), static_cast<long long>(toRec),
                            static_cast<long long>(source_.recordCount())));
  if (result.size() < slotSize_)
    raiseFailure(formatText("The result buffer holds %zu values, fewer than %zu.\n", result.size(),
                            slotSize_));
  fromRec_ = fromRec;
  toRec_ = toRec;
  range_ = static_cast<std::size_t>(toRec - fromRec + 1);
  weights_ = weights;
  slots_[0].values = result.data();
  depth_ = 0;
  lookupNames_.clear();
  const std::vector<Token>& postfix = expression_.postfix();
  for (std::size_t i = 0; i < postfix.size(); ++i)
    step(postfix, i);
  if (depth_ == 0) raiseFailure("Expression invalid: operand expected\n");
  if (depth_ > 1) raiseFailure("Expression invalid: operator expected\n");
  Slot& answer = slots_[0];
  if (answer.valueTag == 'S') raiseFailure("Incorrect specification for lookup function");
  if (answer.constant()) std::fill_n(answer.values, range_, answer.values[0]);
  lookupNames_.clear();
  if (labelsOut != nullptr) {
    labelsOut->clear();
    if (answer.categorical()) *labelsOut = answer.labels;
  }
  return answer.categorical();
}

Slot& Evaluator::push() {
  if (depth_ >= kEvaluationSlots) raiseFailure("ERROR: stack overflow, contact with techni\n");
  const auto index = static_cast<std::size_t>(depth_);
  Slot& slot = slots_[index];
  if (index > 0) {
    try {
      buffers_[index].resize(std::max<std::size_t>(slotSize_, 1));
    } catch (const std::bad_alloc&) {
      raiseFailure("Insufficient memory available");
    }
    slot.values = buffers_[index].data();
  }
  slot.valueTag = 'C';
  slot.kind = 'N';
  slot.labels.clear();
  ++depth_;
  return slot;
}

void Evaluator::pushConstant(double value) {
  Slot& slot = push();
  slot.values[0] = value;
}

void Evaluator::step(const std::vector<Token>& postfix, std::size_t index) {
  const Token& token = postfix[index];
  switch (token.kind) {
    case kConstantToken: {
      std::string text = token.text;
      std::replace(text.begin(), text.end(), 'D', 'E');
      pushConstant(std::strtod(text.c_str(), nullptr));
      break;
    }
    case kVariableToken:
      pushVariable(token.text);
      break;
    case kStringToken:
      pushString(postfix, index);
      break;
    case kRuleToken:
      if (!expression_.parseRule(token.text)) raiseFailure(expression_.currentRule().errorText());
      break;
    case kFunctionToken:
      applyFunction(token.text);
      break;
    default:
      applyOperator(token.text);
      break;
  }
}

void Evaluator::pushVariable(const std::string& name) {
  Slot& slot = push();
  slot.valueTag = 'V';
  const char kind = source_.fetchColumn(name, std::span<double>(slot.values, slotSize_), fromRec_,
                                        toRec_, slot.labels);
  slot.kind = kind == 'C' ? 'C' : 'N';
  if (!slot.categorical()) slot.labels.clear();
}

void Evaluator::pushString(const std::vector<Token>& postfix, std::size_t index) {
  const std::string& quoted = postfix[index].text;
  const std::string text = quoted.size() >= 2 ? quoted.substr(1, quoted.size() - 2) : quoted;
  const bool namesTable = index + 1 < postfix.size() && postfix[index + 1].kind == kFunctionToken &&
                          postfix[index + 1].text == "LOOKUP";
  if (namesTable) {
    if (lookupNames_.size() >= kMostLookupTables)
      raiseFailure("Too many lookup table defined. Maximum 64 allowed.");
    lookupNames_.push_back(text);
    Slot& slot = push();
    slot.valueTag = 'S';
    slot.values[0] = static_cast<double>(lookupNames_.size() - 1);
    return;
  }
  if (depth_ == 0 || !top().categorical())
    raiseFailure("ERROR: missing factor variable associated with\n\"" + text + "\"\n");
  const LabelMap& labels = top().labels;
  auto found = std::find_if(labels.begin(), labels.end(),
                            [&](const auto& entry) { return entry.second == text; });
  if (found == labels.end()) raiseFailure("ERROR: Label \"" + text + "\" not found.\n");
  pushConstant(static_cast<double>(found->first));
}

void Evaluator::toVector(Slot& slot) {
  if (!slot.constant()) return;
  std::fill_n(slot.values, range_, slot.values[0]);
  slot.valueTag = 'V';
}

void Evaluator::applyOperator(const std::string& op) {
  if (depth_ < 1) raiseFailure("Expression invalid: operand expected\n");
  const char code = op.empty() ? '\0' : op[0];
  const std::size_t n = range_;
  if (code == '@') {
    Slot& x = top();
    if (expression_.currentRule().groupCount() == 0)
      raiseFailure("ERROR: Recode/Trunc RULE expected\n");
    toVector(x);
    expression_.applyRule(x.values, 1, static_cast<std::int64_t>(n), false);
    x.kind = 'C';
    x.labels.clear();
    return;
  }
  if (code == '!' || code == '_') {
    Slot& x = top();
    if (x.valueTag == 'S') raiseFailure("Incorrect specification for lookup function");
    const std::size_t count = x.constant() ? 1 : n;
    for (std::size_t i = 0; i < count; ++i)
      x.values[i] = code == '!' ? (x.values[i] == 0.0 ? 1.0 : 0.0) : -x.values[i];
    x.kind = 'N';
    x.labels.clear();
    return;
  }
  if (depth_ < 2) raiseFailure("Expression invalid: missing operand\n");
  Slot& x = top(1);
  Slot& y = top();
  if (x.valueTag == 'S' || y.valueTag == 'S')
    raiseFailure("Incorrect specification for lookup function");
  if (x.categorical() || y.categorical()) {
    const bool both = x.categorical() && y.categorical();
    const bool otherConstant = x.categorical() ? y.constant() : x.constant();
    const bool allowed =
        (both && (code == '*' || code == '=')) || (!both && otherConstant && code != '*');
    if (!allowed)
      raiseFailure("Expression invalid: only * operation is valid for 2 categorical(s).\n");
    if (both && code == '*' && source_.combined()) {
      applyCategoricalProduct(x, y);
      --depth_;
      return;
    }
  }
  switch (code) {
    case '+':
      combine(x, y, n, [](double a, double b) { return a + b; });
      break;
    case '-':
      combine(x, y, n, [](double a, double b) { return a - b; });
      break;
    case '*':
      combine(x, y, n, [](double a, double b) { return a * b; });
      break;
    case '/':
      combine(x, y, n, [](double a, double b) { return a / b; });
      break;
    case '^':
      combine(x, y, n, [](double a, double b) { return std::pow(a, b); });
      break;
    case '%':
      combine(x, y, n, remainderOf);
      break;
    case '<':
      combine(x, y, n, [](double a, double b) { return bothFinite(a, b) && a < b ? 1.0 : 0.0; });
      break;
    case '>':
      combine(x, y, n, [](double a, double b) { return bothFinite(a, b) && a > b ? 1.0 : 0.0; });
      break;
    case '{':
      combine(x, y, n, [](double a, double b) { return bothFinite(a, b) && a <= b ? 1.0 : 0.0; });
      break;
    case '}':
      combine(x, y, n, [](double a, double b) { return bothFinite(a, b) && a >= b ? 1.0 : 0.0; });
      break;
    case '=':
      combine(x, y, n, [](double a, double b) { return a == b ? 1.0 : 0.0; });
      break;
    case '#':
      combine(x, y, n, [](double a, double b) { return a != b ? 1.0 : 0.0; });
      break;
    case '&':
      combine(x, y, n, [](double a, double b) { return a != 0.0 && b != 0.0 ? 1.0 : 0.0; });
      break;
    case '|':
      combine(x, y, n, [](double a, double b) { return a != 0.0 || b != 0.0 ? 1.0 : 0.0; });
      break;
    default:
      raiseFailure("Expression invalid: operator " + op + " has no meaning.\n");
  }
  x.kind = 'N';
  x.labels.clear();
  --depth_;
}

void Evaluator::applyCategoricalProduct(Slot& x, Slot& y) {
  toVector(x);
  toVector(y);
  x.labels = combineCategories(x.values, x.labels, y.values, y.labels, range_);
  x.kind = 'C';
}

}  // namespace tessary
