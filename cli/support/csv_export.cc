#include "support/csv_export.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "data/data_set.h"
#include "data/readable_name.h"
#include "frame/failure.h"
#include "frame/number_format.h"
#include "import/csv_cells.h"
#include "import/data_set_description.h"
#include "platform/text.h"
#include "support/output_file.h"

namespace tessary::cli {
namespace {

struct ExportColumn {
  std::string heading;
  bool unnamed = false;  // imported from a column without a name
  Column column;
  VariableDescription description;
};

// The name as the source spelled it when the header kept it (the import may have made
// it readable), else the stored name.
std::string headingOf(const VariableRecord& record) {
  const std::string name = textOf(record.name), original = textOf(record.textA);
  return upperCase(original) == name || readableName(original) == name ? original : name;
}

// The stored variables of every level, each level's in the order they were added.
std::vector<std::string> allNames(const DataSet& data) {
  std::vector<std::string> names;
  for (int level = 0; level < data.levelCount(); ++level) {
    std::vector<const VariableRecord*> records;
    for (const auto& [name, record] : data.header(level).variables())
      if (!record.isExpression()) records.push_back(&record);
    std::sort(records.begin(), records.end(),
              [](const VariableRecord* a, const VariableRecord* b) { return a->id < b->id; });
    for (const VariableRecord* record : records)
      if (std::find(names.begin(), names.end(), textOf(record->name)) == names.end())
        names.push_back(textOf(record->name));
  }
  return names;
}

ExportColumn readExported(DataSet& data, const std::string& name) {
  ExportColumn exported;
  exported.column = data.readColumn(name);
  const VariableRecord* record = data.variable(name);
  exported.heading = headingOf(*record);
  exported.unnamed = textOf(record->textA).empty();
  exported.description = {.name = textOf(record->name),
                          .spelled = textOf(record->textA),
                          .label = textOf(record->textB),
                          .categorical = record->kind == 'C',
                          .cellsHoldCodes = false,
                          .codes = exported.column.labels};
  return exported;
}

// Labels stand for their codes in the cells only when each reads back as itself and
// no other: unique, not empty, not a number.
bool labelsNameCodes(const LabelMap& labels) {
  std::set<std::string> seen;
  for (const auto& [code, label] : labels) {
    double number = 0;
    const CellReading reading = readCell(label, ',', number);
    if (!seen.insert(label).second || label.empty() || reading == CellReading::kNumber ||
        (reading == CellReading::kMissing && !isMissingToken(trimCell(label))))
      return false;
  }
  return true;
}

void writeDescription(const std::string& csvPath, DataSet& data,
                      const std::vector<ExportColumn>& columns) {
  DataSetDescription description;
  description.identifier = textOf(data.header(0).headerTextA);
  description.weight = textOf(data.header(0).headerTextB);
  for (const ExportColumn& exported : columns)
    description.variables.push_back(exported.description);
  writeOutputFile(descriptionPath(csvPath), encodeDescription(description));
}

}  // namespace

std::string csvField(const std::string& text) {
  const bool quote = text.find_first_of(",;\t\"\r\n") != std::string::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' ')) ||
                     text == "NA" || text == ".";
  if (!quote) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::uint64_t exportCsv(const std::string& dataSet, const std::string& outPath,
                        const ExportOptions& options) {
  DataSet data;
  data.open(dataSet);
  std::vector<std::string> names = options.variables;
  if (names.empty()) names = allNames(data);
  for (const std::string& name : names)
    if (data.levelOf(name) < 0) raiseFailure(dataSet + ": no variable " + upperCase(name));
  if (names.empty()) raiseFailure(dataSet + ": the data set has no variables to export");

  std::vector<ExportColumn> columns;
  for (const std::string& name : names)
    columns.push_back(readExported(data, name));
  for (ExportColumn& exported : columns) {
    if (!options.codes && labelsNameCodes(exported.column.labels)) continue;
    exported.column.labels.clear();
    exported.description.cellsHoldCodes = true;
  }

  // A column the import named V<position> for want of a name goes back unnamed.
  for (std::size_t c = 0; c < columns.size(); ++c)
    if (columns[c].unnamed && columns[c].heading == "V" + std::to_string(c + 1))
      columns[c].heading.clear();
  std::string out;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (c > 0) out += ',';
    out += csvField(columns[c].heading);
  }
  // An empty line would be skipped as blank: a one-column file writes "" instead.
  if (out.empty()) out += "\"\"";
  out += '\n';
  const auto records = static_cast<std::uint32_t>(data.recordCount());
  for (std::uint32_t r = 0; r < records; ++r) {
    const std::size_t lineStart = out.size();
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (c > 0) out += ',';
      const double v = columns[c].column.values[r];
      if (!std::isfinite(v)) continue;
      const LabelMap& labels = columns[c].column.labels;
      if (!labels.empty() && v == std::trunc(v) && std::fabs(v) < 2147483648.0) {
        const auto label = labels.find(static_cast<int>(v));
        if (label != labels.end()) {
          out += csvField(label->second);
          continue;
        }
      }
      out += formatGeneral(v, kRoundTrip);
    }
    if (out.size() == lineStart) out += "\"\"";
    out += '\n';
  }
  writeOutputFile(outPath, out);
  if (outPath != "-") writeDescription(outPath, data, columns);
  return records;
}

}  // namespace tessary::cli
