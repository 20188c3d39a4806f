#include "support/group_summary.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "frame/number_format.h"
#include "platform/text.h"

namespace tessary::cli {
namespace {

std::string number(double v, int digits) {
  return std::isfinite(v) ? formatGeneral(v, digits) : ".";
}

std::string groupName(double key, const std::map<int, std::string>& labels) {
  if (!std::isfinite(key)) return ".";
  const auto label = labels.find(static_cast<int>(key));
  return label != labels.end() && key == std::trunc(key) ? label->second : formatGeneral(key, 10);
}

}  // namespace

void ValueSummary::add(double x, double w) {
  if (!std::isfinite(x) || !std::isfinite(w)) {
    ++missing;
    return;
  }
  min = count == 0 ? x : std::min(min, x);
  max = count == 0 ? x : std::max(max, x);
  ++count;
  weight += w;
  sum += w * x;
  sumOfSquares += w * x * x;
}

double ValueSummary::standardDeviation() const {
  const double variance = (sumOfSquares - sum * sum / weight) / (weight - 1);
  return std::sqrt(std::max(variance, 0.0));
}

ValueSummary summarize(std::span<const double> values, const double* weights) {
  ValueSummary summary;
  for (std::size_t r = 0; r < values.size(); ++r)
    summary.add(values[r], weights != nullptr ? weights[r] : 1.0);
  return summary;
}

std::string summaryLine(const ValueSummary& s, int digits, bool weighted) {
  const auto missing = static_cast<unsigned long long>(s.missing);
  if (s.count == 0) return formatText("count 0  missing %llu\n", missing);
  const bool spread = s.weight > 1;
  std::string line = formatText(
      "count %llu  missing %llu  mean %s  sd %s  sum %s", static_cast<unsigned long long>(s.count),
      missing, number(s.mean(), digits).c_str(),
      spread ? number(s.standardDeviation(), digits).c_str() : ".", number(s.sum, digits).c_str());
  if (weighted) line += "  weight " + number(s.weight, digits);
  return line + "  min " + number(s.min, digits) + "  max " + number(s.max, digits) + "\n";
}

std::string groupSummaryTable(std::span<const double> values, const double* weights,
                              std::span<const double> groups,
                              const std::map<int, std::string>& groupLabels, int digits,
                              bool weighted) {
  // Missing group values gather under +infinity, which sorts last.
  std::map<double, ValueSummary> byGroup;
  for (std::size_t r = 0; r < values.size(); ++r) {
    const double key = std::isfinite(groups[r]) ? groups[r] : INFINITY;
    byGroup[key].add(values[r], weights != nullptr ? weights[r] : 1.0);
  }
  const int width = std::max(digits + 6, 10);
  std::vector<std::string> heading = {"GROUP", "COUNT", "MISSING", "MEAN", "SD", "SUM"};
  if (weighted) heading.emplace_back("WEIGHT");
  heading.insert(heading.end(), {"MIN", "MAX"});
  std::string out;
  for (const std::string& h : heading)
    out += formatText("%*s", h == "GROUP" ? 12 : width + 1, h.c_str());
  out += "\n";
  for (const auto& [key, s] : byGroup) {
    const bool any = s.count > 0;
    std::vector<std::string> cells = {
        groupName(key, groupLabels),
        std::to_string(s.count),
        std::to_string(s.missing),
        any ? number(s.mean(), digits) : ".",
        any && s.weight > 1 ? number(s.standardDeviation(), digits) : ".",
        number(s.sum, digits)};
    if (weighted) cells.push_back(number(s.weight, digits));
    cells.push_back(any ? number(s.min, digits) : ".");
    cells.push_back(any ? number(s.max, digits) : ".");
    for (std::size_t i = 0; i < cells.size(); ++i)
      out += formatText("%*s", i == 0 ? 12 : width + 1, cells[i].c_str());
    out += "\n";
  }
  return out;
}

}  // namespace tessary::cli
