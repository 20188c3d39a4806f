#include "support/csv_export.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <span>

#include "data/cda.h"
#include "data/data_array.h"
#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/text.h"
#include "support/data_set_path.h"
#include "support/output_file.h"

namespace tessary::cli {
namespace {

struct ExportColumn {
  std::string heading;
  bool unnamed = false;  // imported from a column without a name
  std::vector<double> values;
  LabelMap labels;
};

// The name as the source spelled it when the header kept it, else the stored name.
std::string headingOf(const VariableRecord& record) {
  const std::string name = textOf(record.name), original = textOf(record.textA);
  return upperCase(original) == name ? original : name;
}

// The level's variables in the order they were added, expressions left out.
std::vector<const VariableRecord*> storedVariables(const DataArray& data) {
  std::vector<const VariableRecord*> records;
  for (const auto& [name, record] : data.variables())
    if (!record.isExpression()) records.push_back(&record);
  std::sort(records.begin(), records.end(),
            [](const VariableRecord* a, const VariableRecord* b) { return a->id < b->id; });
  return records;
}

// Reads one variable at the household level of either kind of data set.
class ExportSource {
 public:
  explicit ExportSource(const std::string& argument) {
    const DataSetPath resolved = resolveDataSet(argument);
    if (resolved.combined) {
      cda_ = std::make_unique<CDA>(resolved.path);
      cda_->load();
      cda_->cursor = 0;
    } else {
      data_ = std::make_unique<DataArray>();
      data_->open(resolved.path);
      data_->loadHeader();
    }
  }

  std::uint32_t records() { return finest().recordCount; }

  std::vector<std::string> allNames() {
    std::vector<std::string> names;
    const int levels = cda_ ? (cda_->auxPresent() ? 3 : 2) : 1;
    for (int level = 0; level < levels; ++level)
      for (const VariableRecord* record : storedVariables(levelData(level))) {
        const std::string name = textOf(record->name);
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
      }
    return names;
  }

  ExportColumn read(const std::string& name) {
    ExportColumn column;
    column.values.resize(records());
    int level = 0;
    if (cda_) {
      if (records() > 0) cda_->getValue(name, column.values, 1, records());
      level = cda_->foundLevel;
    } else if (records() > 0) {
      data_->getValue(name, column.values, 1, records());
    }
    DataArray& owner = levelData(level < 0 ? 0 : level);
    const VariableRecord* record = owner.find(name);
    if (record == nullptr) raiseFailure(name + ": no such variable");
    column.heading = headingOf(*record);
    column.unnamed = textOf(record->textA).empty();
    if (record->kind == 'C') owner.loadLabels(name, column.labels);
    return column;
  }

  bool has(const std::string& name) {
    const int levels = cda_ ? (cda_->auxPresent() ? 3 : 2) : 1;
    for (int level = 0; level < levels; ++level) {
      const VariableRecord* record = levelData(level).find(name);
      if (record != nullptr && !record->isExpression()) return true;
    }
    return false;
  }

 private:
  DataArray& finest() { return cda_ ? cda_->level(0) : *data_; }
  DataArray& levelData(int level) { return cda_ ? cda_->level(level) : *data_; }

  std::unique_ptr<DataArray> data_;
  std::unique_ptr<CDA> cda_;
};

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
  ExportSource source(dataSet);
  std::vector<std::string> names = options.variables;
  if (names.empty()) names = source.allNames();
  for (const std::string& name : names)
    if (!source.has(name)) raiseFailure(dataSet + ": no variable " + upperCase(name));
  if (names.empty()) raiseFailure(dataSet + ": the data set has no variables to export");

  std::vector<ExportColumn> columns;
  for (const std::string& name : names)
    columns.push_back(source.read(name));
  if (options.codes)
    for (ExportColumn& column : columns)
      column.labels.clear();

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
  const std::uint32_t records = source.records();
  for (std::uint32_t r = 0; r < records; ++r) {
    const std::size_t lineStart = out.size();
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (c > 0) out += ',';
      const double v = columns[c].values[r];
      if (!std::isfinite(v)) continue;
      if (!columns[c].labels.empty() && v == std::trunc(v) && std::fabs(v) < 2147483648.0) {
        const auto label = columns[c].labels.find(static_cast<int>(v));
        if (label != columns[c].labels.end()) {
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
