#include "expr/recode_rule.h"

#include <cmath>
#include <limits>

#include "expr/invalid_conversion.h"
#include "frame/missing.h"
#include "numeric/saturating_cast.h"

namespace tessary {
namespace {

// The marker layout of a syntax message: the message, the cleaned rule on its own
// line, and dashes up to the failing position ending in '^'.
std::string withMarker(const std::string& message, const std::string& text, int position) {
  return message + "\n" + text + "\n" + std::string(static_cast<std::size_t>(position), '-') + "^";
}

// Elements hold integers; a value matches one through its truncation.
bool hasElement(const RuleGroup& group, double truncated) {
  if (truncated < std::numeric_limits<std::int32_t>::min() ||
      truncated > std::numeric_limits<std::int32_t>::max())
    return false;
  return group.elements.count(saturatingInt32(truncated)) > 0;
}

}  // namespace

std::string cleanRuleText(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (char c : raw) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    out.push_back(c);
  }
  return out;
}

void RecodeRule::clear() {
  text_.clear();
  groups_.clear();
  position_ = 0;
  error_.clear();
}

bool RecodeRule::parse(const char* text, std::size_t length) {
  clear();
  text_ = cleanRuleText(text == nullptr ? std::string_view() : std::string_view(text, length));
  try {
    std::vector<RuleGroup> written = parseRuleGroups(text_, position_);
    bool hasEllipsis = false;
    for (const RuleGroup& group : written)
      hasEllipsis |= group.placeholder;
    std::vector<RuleGroup> groups = hasEllipsis ? expandEllipses(written) : std::move(written);
    checkRuleConsistency(groups);
    groups_ = std::move(groups);
    return true;
  } catch (const RuleError& error) {
    if (error.position() < 0) {
      position_ = -1;
      error_ = error.text();
    } else {
      error_ = withMarker(error.text(), text_, error.position());
    }
  } catch (const InvalidConversionException& conversion) {
    error_ = conversion.text();
    throw;
  }
  return false;
}

bool RecodeRule::contains(double value) const {
  const double truncated = std::trunc(value);
  for (const RuleGroup& group : groups_) {
    if (hasElement(group, truncated)) return true;
    for (const RuleRange& range : group.ranges)
      if (range.low < value && value < range.high) return true;
  }
  return false;
}

double RecodeRule::recode(double value) const {
  if (!std::isfinite(value)) return MISSING;
  const double truncated = std::trunc(value);
  for (const RuleGroup& group : groups_)
    if (hasElement(group, truncated)) return group.number + 1;
  for (const RuleGroup& group : groups_) {
    for (const RuleRange& range : group.ranges) {
      if (group.sequence > 0) {
        // A copy of a '...' expansion takes its closed ends from the leading group.
        if (range.low <= value && value <= range.high) {
          double steps = (value - group.base) / group.width;
          double result = group.number + 1 + std::trunc(steps);
          if (steps == std::floor(steps) && group.closedHigh) result -= 1;
          return result;
        }
      } else if (range.low < value && value < range.high) {
        return group.number + 1;
      }
    }
  }
  return MISSING;
}

void RecodeRule::apply(double* values, std::int64_t fromRec, std::int64_t toRec,
                       bool setMissing) const {
  if (groups_.empty() || values == nullptr) return;
  if (fromRec < 1) fromRec = 1;
  const bool truncate = groups_.size() == 1;
  for (std::int64_t record = fromRec; record <= toRec; ++record) {
    double& value = values[record - 1];
    if (!std::isfinite(value)) {
      value = MISSING;
    } else if (setMissing) {
      if (contains(value)) value = MISSING;
    } else if (truncate) {
      if (!contains(value)) value = MISSING;
    } else {
      value = recode(value);
    }
  }
}

}  // namespace tessary
