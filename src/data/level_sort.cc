#include "data/level_sort.h"

#include <algorithm>
#include <numeric>

#include "data/data_set.h"
#include "data/data_set_path.h"
#include "data/data_set_writer.h"
#include "data/readable_name.h"
#include "frame/failure.h"
#include "platform/text.h"

namespace tessary {
namespace {

// The name a column should carry so that writeDataSet stores it under `stored` with
// the spelling the header kept.
std::string sourceName(const VariableRecord& record) {
  const std::string stored = textOf(record.name), spelled = textOf(record.textA);
  return upperCase(spelled) == stored || readableName(spelled) == stored ? spelled : stored;
}

ImportedColumn sortedColumn(DataSet& data, const VariableRecord& record,
                            const std::vector<std::size_t>& order) {
  ImportedColumn column;
  column.name = sourceName(record);
  column.unnamed = textOf(record.textA).empty();
  column.label = textOf(record.textB);
  const Column stored = data.readColumn(textOf(record.name));
  column.numbers.reserve(order.size());
  for (std::size_t r : order)
    column.numbers.push_back(stored.values[r]);
  column.categorical = stored.kind == 'C';
  for (const auto& [code, label] : stored.labels)
    column.valueLabels[code] = label;
  return column;
}

}  // namespace

bool sortLevelByKey(const std::string& path, const std::string& key) {
  DataSet data;
  data.openDataArray(dataArrayStem(path) + ".daH");
  const Column keys = data.readColumn(upperCase(key));
  if (std::is_sorted(keys.values.begin(), keys.values.end())) return false;
  std::vector<std::size_t> order(keys.values.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return keys.values[a] < keys.values[b]; });

  std::vector<const VariableRecord*> records;
  for (const auto& [name, record] : data.header(0).variables())
    if (!record.isExpression()) records.push_back(&record);
  std::sort(records.begin(), records.end(),
            [](const VariableRecord* a, const VariableRecord* b) { return a->id < b->id; });
  ImportedTable table;
  table.rowCount = order.size();
  for (const VariableRecord* record : records)
    table.columns.push_back(sortedColumn(data, *record, order));
  const WriteOptions roles{textOf(data.header(0).headerTextA), textOf(data.header(0).headerTextB)};
  const std::string stem = dataArrayStem(path);
  data = DataSet();  // closes the files before they are replaced
  writeDataSet(table, stem, roles);
  return true;
}

}  // namespace tessary
