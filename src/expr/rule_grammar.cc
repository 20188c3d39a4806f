// The written form of a rule:
//   rule  := '{' group { ';' group } '}'
//   group := '<' N | '<=' N | '>' N | '>=' N | item { ',' item } | '...'
//   item  := N | '[' N ',' N ']' | '[' N ',' N ')' | '(' N ',' N ']' | '(' N ',' N ')'
#include <algorithm>
#include <cstdint>
#include <limits>

#include "expr/invalid_conversion.h"
#include "expr/recode_rule.h"

namespace tessary {
namespace {

constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kHighest = std::numeric_limits<std::int32_t>::max();

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isIntegerStart(char c) {
  return isDigit(c) || c == '+' || c == '-';
}

class RuleGrammar {
 public:
  explicit RuleGrammar(const std::string& text) : s_(text), n_(text.size()) {}

  std::vector<RuleGroup> run() {
    if (n_ == 0 || s_[0] != '{') fail(0, "Empty rule", false);
    i_ = 1;
    if (atEnd() || s_[i_] == '}') fail(i_, "Empty rule", false);
    for (;;) {
      if (atEnd()) fail(i_, "> Number < ( [ or } expected.");
      char c = s_[i_];
      if (c == '}') break;  // a ';' right before '}' adds no group
      startGroup();
      if (c == '<' || c == '>') {
        parseBound();
      } else if (c == '.') {
        parseEllipsis();
      } else if (isIntegerStart(c) || c == '(' || c == '[') {
        parseItems();
      } else {
        fail(i_, "> Number < ( [ or } expected.");
      }
      if (s_[i_] == '}') break;
      ++i_;  // the ';'
    }
    ++i_;  // the '}'
    if (!atEnd()) fail(i_, "***Unrecognized character", false);
    return std::move(groups_);
  }

  int position() const { return static_cast<int>(i_); }

 private:
  bool atEnd() const { return i_ >= n_; }

  // A '.' where something else was expected is most likely a mistyped '...'.
  [[noreturn]] void fail(std::size_t at, const char* message, bool dotHint = true) {
    i_ = at;
    std::size_t dots = 0;
    while (dotHint && at + dots < n_ && s_[at + dots] == '.')
      ++dots;
    if (dots == 1)
      message = "Do you mean '...'? \nIf yes, give me enough dots.\nOtherwise, remove this dot.";
    else if (dots == 2)
      message = "If you're trying to use '...', please give me enough dots.";
    throw RuleError(message, static_cast<int>(at));
  }

  void startGroup() {
    if (groups_.size() >= static_cast<std::size_t>(MAX_GROUP))
      throw RuleError("MAX_GROUP 50 is too small (Tell the authors)", -1);
    groups_.emplace_back();
    groups_.back().number = static_cast<int>(groups_.size()) - 1;
  }
  RuleGroup& group() { return groups_.back(); }

  std::int32_t scanInteger() {
    std::size_t start = i_;
    if (s_[i_] == '+' || s_[i_] == '-') ++i_;
    while (!atEnd() && isDigit(s_[i_]))
      ++i_;
    return convertToInt32(s_.substr(start, i_ - start));
  }

  // After a complete group: the text must go on with one of `allowed`. Only a number
  // or a bound at the end of the text takes the message with a period; a bracketed
  // range takes ", ; or } expected" wherever it is.
  void expectFollower(const char* allowed, const char* message,
                      const char* atEndMessage = ", ; or } expected.") {
    if (atEnd()) fail(i_, atEndMessage);
    if (std::string_view(allowed).find(s_[i_]) == std::string_view::npos) fail(i_, message);
  }

  void parseBound() {
    bool below = s_[i_++] == '<';
    bool orEqual = !atEnd() && s_[i_] == '=';
    if (orEqual) ++i_;
    if (atEnd() || !isIntegerStart(s_[i_])) fail(i_, "Value expected.");
    std::int32_t value = scanInteger();
    group().ranges.push_back(below ? RuleRange{kLowest, value} : RuleRange{value, kHighest});
    if (orEqual) group().elements.insert(value);
    expectFollower(";}", "; or } expected.");
  }

  void parseEllipsis() {
    std::size_t dots = 0;
    while (i_ + dots < n_ && s_[i_ + dots] == '.')
      ++dots;
    if (dots < 3) fail(i_, "");
    if (groups_.size() == 1) fail(i_, "'...' must follow a range-group.");
    group().placeholder = true;
    i_ += 3;
    expectFollower(";}", "; or } expected.");
  }

  void parseItems() {
    for (;;) {
      bool bracketed = s_[i_] == '(' || s_[i_] == '[';
      if (bracketed) {
        parseBracketedRange();
        expectFollower(",;}", ", ; or } expected", ", ; or } expected");
      } else {
        group().elements.insert(scanInteger());
        expectFollower(",;}", "; , or } expected.");
      }
      if (s_[i_] != ',') return;
      ++i_;
      if (atEnd() || !(isIntegerStart(s_[i_]) || s_[i_] == '(' || s_[i_] == '['))
        fail(i_, bracketed ? "( [ or a value expected" : "( [ or a number expected");
    }
  }

  void parseBracketedRange() {
    bool closedLow = s_[i_++] == '[';
    std::int32_t first = bracketNumber();
    if (atEnd()) fail(i_, "Value expected");
    if (s_[i_] != ',') fail(i_, ", expected");
    ++i_;
    std::int32_t second = bracketNumber();
    if (atEnd()) fail(i_, "Value expected");
    if (s_[i_] != ']' && s_[i_] != ')') fail(i_, "] or ) expected");
    bool closedHigh = s_[i_++] == ']';
    group().ranges.push_back({std::min(first, second), std::max(first, second)});
    if (closedLow) group().elements.insert(first);
    if (closedHigh) group().elements.insert(second);
  }

  std::int32_t bracketNumber() {
    if (atEnd()) fail(i_, "Value expected");
    if (!isIntegerStart(s_[i_])) fail(i_, "Number expected");
    return scanInteger();
  }

  const std::string& s_;
  std::size_t n_;
  std::size_t i_ = 0;
  std::vector<RuleGroup> groups_;
};

}  // namespace

std::vector<RuleGroup> parseRuleGroups(const std::string& cleaned, int& position) {
  RuleGrammar grammar(cleaned);
  try {
    std::vector<RuleGroup> groups = grammar.run();
    position = grammar.position();
    return groups;
  } catch (...) {
    position = grammar.position();
    throw;
  }
}

}  // namespace tessary
