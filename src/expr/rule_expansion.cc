// Expansion of '...' into copies of its leading group, and the checks every rule must
// pass before it is used.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "expr/recode_rule.h"
#include "platform/text.h"

namespace tessary {
namespace {

constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kHighest = std::numeric_limits<std::int32_t>::max();

std::int32_t clampToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, kLowest, kHighest));
}

[[noreturn]] void failExpansion(std::string message) {
  throw RuleError(std::move(message), -1);
}

[[noreturn]] void failTooManyGroups() {
  failExpansion(formatText("MAX_GROUP %i is too small (Tell the authors)", MAX_GROUP));
}

// Appends the copies that stand for the k-th '...' between `leading` and `ending`.
// `leading` is taken by value: it lives in `out`, which grows here.
void appendCopies(const RuleGroup leading, const RuleGroup& ending, int k,
                  std::vector<RuleGroup>& out) {
  const RuleRange range = leading.ranges.front();
  const std::int64_t width = std::int64_t{range.high} - range.low;
  std::int64_t endingLow = kHighest;
  for (const RuleRange& r : ending.ranges)
    endingLow = std::min<std::int64_t>(endingLow, r.low);
  const bool closedLow = leading.elements.count(range.low) > 0;
  const bool closedHigh = leading.elements.count(range.high) > 0;

  for (std::int64_t shift = width; range.low + shift < endingLow; shift += width) {
    if (out.size() >= static_cast<std::size_t>(MAX_GROUP)) failTooManyGroups();
    RuleGroup copy;
    copy.ranges.push_back({clampToInt32(range.low + shift), clampToInt32(range.high + shift)});
    for (std::int32_t element : leading.elements)
      copy.elements.insert(clampToInt32(element + shift));
    copy.sequence = k;
    copy.base = copy.ranges.front().low;
    copy.width = static_cast<std::int32_t>(width);
    copy.closedHigh = closedHigh && !closedLow;
    out.push_back(std::move(copy));
  }
}

void checkLeadingGroup(const RuleGroup& leading, int k) {
  bool valid = !leading.placeholder && leading.ranges.size() == 1;
  if (valid) {
    const RuleRange& range = leading.ranges.front();
    valid = range.low != kLowest && range.high != kHighest && range.low < range.high;
  }
  if (!valid) failExpansion(formatText("Leading group of '...' %i invalid", k));
  // Only the range's own closed ends can be shifted along with it.
  for (std::int32_t element : leading.elements)
    if (element != leading.ranges.front().low && element != leading.ranges.front().high)
      failExpansion(formatText("%s for '...' %i.", "Enum expected", k));
}

}  // namespace

std::vector<RuleGroup> expandEllipses(const std::vector<RuleGroup>& written) {
  std::vector<RuleGroup> out;
  int k = 0;
  for (std::size_t index = 0; index < written.size(); ++index) {
    const RuleGroup& group = written[index];
    if (!group.placeholder) {
      if (out.size() >= static_cast<std::size_t>(MAX_GROUP)) failTooManyGroups();
      out.push_back(group);
      continue;
    }
    ++k;
    if (out.empty()) failExpansion(formatText("Leading group of '...' %i invalid", k));
    checkLeadingGroup(out.back(), k);
    if (index + 1 >= written.size() || written[index + 1].placeholder)
      failExpansion(formatText("Ending group of '...' %i expected", k));
    const RuleGroup& ending = written[index + 1];
    if (ending.ranges.empty()) failExpansion(formatText("%s for '...' %i.", "Range expected", k));
    appendCopies(out.back(), ending, k, out);
  }
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i].number = static_cast<int>(i);
  return out;
}

void checkRuleConsistency(const std::vector<RuleGroup>& groups) {
  for (std::size_t i = 0; i < groups.size(); ++i)
    for (std::size_t j = i + 1; j < groups.size(); ++j)
      for (std::int32_t element : groups[i].elements)
        if (groups[j].elements.count(element))
          failExpansion(formatText("Group: %i and %i have common element(s)\n",
                                   static_cast<int>(i) + 1, static_cast<int>(j) + 1));

  // Empty intervals hold no value and cannot overlap anything.
  std::vector<RuleRange> ranges;
  for (const RuleGroup& group : groups)
    for (const RuleRange& range : group.ranges)
      if (range.low < range.high) ranges.push_back(range);
  std::stable_sort(ranges.begin(), ranges.end(),
                   [](const RuleRange& a, const RuleRange& b) { return a.low < b.low; });
  // Sorted by low end, a range overlaps an earlier one exactly when it starts below the
  // highest high end met so far.
  std::size_t widest = 0;
  for (std::size_t j = 1; j < ranges.size(); ++j) {
    if (ranges[j].low < ranges[widest].high)
      failExpansion(formatText("Range: ([%i]-[%i]) overlaps ([%i]-[%i])\n", ranges[widest].low,
                               ranges[widest].high, ranges[j].low, ranges[j].high));
    if (ranges[j].high > ranges[widest].high) widest = j;
  }
}

}  // namespace tessary
