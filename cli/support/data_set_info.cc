#include "support/data_set_info.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "data/cda.h"
#include "data/data_array.h"
#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/text.h"
#include "support/data_set_path.h"

namespace tessary::cli {
namespace {

std::string number(double v) {
  return std::isfinite(v) ? formatGeneral(v, 10) : ".";
}

// Variables in the order they were added.
std::vector<const VariableRecord*> inAddedOrder(const DataArray& data) {
  std::vector<const VariableRecord*> records;
  for (const auto& [name, record] : data.variables())
    records.push_back(&record);
  std::sort(records.begin(), records.end(),
            [](const VariableRecord* a, const VariableRecord* b) { return a->id < b->id; });
  return records;
}

std::string describeLevel(const DataArray& data, const std::string& title) {
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
    if (record->kind == 'C') data.loadLabels(name, labels);
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
  const DataSetPath resolved = resolveDataSet(path);
  if (!resolved.combined) {
    DataArray data;
    data.open(resolved.path);
    data.loadHeader();
    return describeLevel(data, data.filePath(".daH"));
  }
  CDA cda(resolved.path);
  cda.load();
  const char* titles[] = {"households", "clusters", "auxiliary"};
  std::string out = resolved.path + ": combined data array\n";
  const int levels = cda.auxPresent() ? 3 : 2;
  for (int level = 0; level < levels; ++level) {
    DataArray& data = cda.level(level);
    out += describeLevel(
        data, formatText("level %d (%s) %s", level, titles[level], data.filePath(".daH").c_str()));
  }
  out += formatText("cluster reference %s: %zu entries\n", cda.clusterRef().path().c_str(),
                    cda.clusterRef().entryCount());
  if (cda.auxPresent())
    out += formatText("auxiliary reference %s: %zu entries\n", cda.auxRef().path().c_str(),
                      cda.auxRef().entryCount());
  return out;
}

}  // namespace tessary::cli
