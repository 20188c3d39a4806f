// Recode/trunc rules and value sets: a brace-enclosed list of groups of integer values
// such as {<0; [0,10); ...; [90,100); >=100}. A rule with several groups recodes a
// column into group numbers; a rule with one group truncates a column to the group or,
// for SETMISSING, blanks the group's values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "frame/failure.h"

namespace tessary {

inline constexpr int MAX_GROUP = 50;

// An open interval low < v < high; closed ends are stored as elements.
struct RuleRange {
  std::int32_t low = 0;
  std::int32_t high = 0;
  bool operator==(const RuleRange&) const = default;
};

struct RuleGroup {
  int number = 0;  // 0-based position; the recode result is number + 1
  std::vector<RuleRange> ranges;
  std::set<std::int32_t> elements;
  bool placeholder = false;  // a written '...' before expansion

  // Copies made by expanding '...': which '...' made them (1-based; -1 for written
  // groups), the copy's base (its low end) and width, and whether the leading group
  // was closed at its high end only.
  int sequence = -1;
  std::int32_t base = 0;
  std::int32_t width = 0;
  bool closedHigh = false;
};

class RecodeRule {
 public:
  // Cleans, parses, expands '...' and checks the rule. On a syntax or consistency
  // error stores the message and returns false; an integer that does not convert
  // raises InvalidConversionException (its text is stored too).
  bool parse(const char* text, std::size_t length);
  bool parse(std::string_view text) { return parse(text.data(), text.size()); }

  // Rewrites values[fromRec-1 .. toRec-1] (records are 1-based, inclusive) in place:
  // recode with several groups, truncation with one, blanking with `setMissing`.
  // Missing values stay MISSING; a rule without groups changes nothing.
  void apply(double* values, std::int64_t fromRec, std::int64_t toRec, bool setMissing) const;

  // The recode result of one value, or MISSING.
  double recode(double value) const;
  // True when the value falls in one of the groups (elements or open ranges).
  bool contains(double value) const;

  int groupCount() const { return static_cast<int>(groups_.size()); }
  const std::vector<RuleGroup>& groups() const { return groups_; }
  // Where parsing stopped in the cleaned text; -1 after a consistency error.
  int position() const { return position_; }
  const std::string& cleanedText() const { return text_; }
  const std::string& errorText() const { return error_; }
  void clear();

 private:
  std::string text_;
  std::vector<RuleGroup> groups_;
  int position_ = 0;
  std::string error_;
};

// Drops blanks, tabs, carriage returns and line feeds and upper-cases letters.
std::string cleanRuleText(std::string_view raw);

// The syntax and '...' steps, exposed for the rule parser's own files. Each raises
// RuleError, which the rule parser turns into its error text.
class RuleError : public Failure {
 public:
  RuleError(std::string message, int position) : Failure(std::move(message)), position_(position) {}
  // Where parsing stopped; -1 when no marker line belongs to the message.
  int position() const noexcept { return position_; }

 private:
  int position_;
};
std::vector<RuleGroup> parseRuleGroups(const std::string& cleaned, int& position);
std::vector<RuleGroup> expandEllipses(const std::vector<RuleGroup>& written);
void checkRuleConsistency(const std::vector<RuleGroup>& groups);

}  // namespace tessary
