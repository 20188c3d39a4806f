#include "support/csv_export.h"

#include <algorithm>
#include <cmath>

#include "data/data_set.h"
#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/text.h"
#include "support/output_file.h"

namespace tessary::cli {
namespace {

struct ExportColumn {
  std::string heading;
  bool unnamed = false;  // imported from a column without a name
  Column column;
};

// The name as the source spelled it when the header kept it, else the stored name.
std::string headingOf(const VariableRecord& record) {
  const std::string name = textOf(record.name), original = textOf(record.textA);
  return upperCase(original) == name ? original : name;
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
  return exported;
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
  if (options.codes)
    for (ExportColumn& exported : columns)
      exported.column.labels.clear();

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
  return records;
}

}  // namespace tessary::cli
