#include "support/data_set_info.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "data/data_set.h"
#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/text.h"

namespace tessary::cli {
namespace {

std::string number(double v) {
  return std::isfinite(v) ? formatGeneral(v, 10) : ".";
}

// Variables in the order they were added.
std::vector<const VariableRecord*> inAddedOrder(const DataArrayHeader& data) {
  std::vector<const VariableRecord*> records;
  for (const auto& [name, record] : data.variables())
    records.push_back(&record);
  std::sort(records.begin(), records.end(),
            [](const VariableRecord* a, const VariableRecord* b) { return a->id < b->id; });
  return records;
}

std::string describeLevel(const DataSet& set, int level, const std::string& title) {
  const DataArrayHeader& data = set.header(level);
  std::string out = formatText("%s: %u records, %zu variables\n", title.c_str(), data.recordCount,
                               data.variables().size());
  const std::string id = textOf(data.headerTextA), weight = textOf(data.headerTextB);
  if (!id.empty()) out += "  id variable: " + id + "\n";
  if (!weight.empty()) out += "  weight variable: " + weight + "\n";
  if (data.variables().empty()) return out;
  out += formatText("  %-20s %-4s %-3s %10s %14s %14s %6s  %s\n", "VARIABLE", "KIND", "ENC",
                    "VALID", "MIN", "MAX", "LABELS", "LABEL");
  for (const VariableRecord* record : inAddedOrder(data)) {
    const std::string name = textOf(record->name);
    LabelMap labels;
    if (record->kind == 'C') set.loadLabels(level, name, labels);
    if (record->isExpression()) {
      out += formatText("  %-20s %-4c (expression)\n", name.c_str(), record->kind);
      continue;
    }
    out +=
        formatText("  %-20s %-4c %-3c %10d %14s %14s %6zu  %s\n", name.c_str(), record->kind,
                   record->encoding, record->validCount, number(record->minValue).c_str(),
                   number(record->maxValue).c_str(), labels.size(), textOf(record->textB).c_str());
  }
  return out;
}

}  // namespace

std::string describeDataSet(const std::string& path) {
  DataSet data;
  data.open(path);
  if (!data.combined()) return describeLevel(data, 0, data.headerPath(0));
  const char* titles[] = {"households", "clusters", "auxiliary"};
  std::string out = data.path() + ": combined data array\n";
  for (int level = 0; level < data.levelCount(); ++level)
    out += describeLevel(
        data, level,
        formatText("level %d (%s) %s", level, titles[level], data.headerPath(level).c_str()));
  const char* references[] = {"cluster", "auxiliary"};
  for (int level = 0; level + 1 < data.levelCount(); ++level) {
    const DataRef& ref = *data.coarserReference(level);
    out += formatText("%s reference %s: %zu entries\n", references[level], ref.path().c_str(),
                      ref.entryCount());
  }
  return out;
}

}  // namespace tessary::cli
