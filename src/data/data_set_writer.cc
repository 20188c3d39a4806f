#include "data/data_set_writer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <span>

#include "data/data_array_replacement.h"
#include "data/data_set.h"
#include "data/data_set_builder.h"
#include "data/data_set_path.h"
#include "data/staging_directory.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/directories.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tessary {
namespace {

bool isIntegral(double v) {
  return std::isfinite(v) && v == std::trunc(v) && std::fabs(v) <= 2147483647.0;
}

// Integer codes of a numeric column's value labels; false when a labelled value or a
// finite value of the column is not an integer.
bool integerLabels(const ImportedColumn& column, std::map<int, std::string>& labels) {
  for (const auto& [value, label] : column.valueLabels) {
    if (!isIntegral(value)) return false;
    labels[static_cast<int>(value)] = label;
  }
  return std::all_of(column.numbers.begin(), column.numbers.end(),
                     [](double v) { return !std::isfinite(v) || isIntegral(v); });
}

const ImportedColumn* findColumn(const ImportedTable& table, const std::string& name) {
  const std::string key = upperCase(name);
  for (const ImportedColumn& column : table.columns)
    if (upperCase(column.name) == key) return &column;
  return nullptr;
}

}  // namespace

void codeTexts(const std::vector<std::string>& texts, std::vector<double>& codes,
               std::map<int, std::string>& labels) {
  std::vector<std::string_view> distinct;
  for (const std::string& text : texts)
    if (!text.empty()) distinct.push_back(text);
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  labels.clear();
  for (std::size_t i = 0; i < distinct.size(); ++i)
    labels[static_cast<int>(i + 1)] = std::string(distinct[i]);
  codes.resize(texts.size());
  for (std::size_t r = 0; r < texts.size(); ++r) {
    if (texts[r].empty()) {
      codes[r] = MISSING;
      continue;
    }
    const auto at = std::lower_bound(distinct.begin(), distinct.end(), std::string_view(texts[r]));
    codes[r] = static_cast<double>(at - distinct.begin() + 1);
  }
}

namespace {

void checkTable(const ImportedTable& table, const std::string& outPath,
                const WriteOptions& options) {
  if (table.rowCount > 0x7FFFFFFFu)
    raiseFailure(formatText("%s: %llu records are more than a data array holds", outPath.c_str(),
                            static_cast<unsigned long long>(table.rowCount)));
  for (const std::string* name : {&options.idVariable, &options.weightVariable})
    if (!name->empty() && findColumn(table, *name) == nullptr)
      raiseFailure(*name + ": no such variable in the imported file");
  if (!options.weightVariable.empty() && findColumn(table, options.weightVariable)->isText)
    raiseFailure(options.weightVariable + ": the weight variable holds text");
  std::map<std::string, const std::string*> seen;
  for (const ImportedColumn& column : table.columns) {
    const std::size_t held = column.isText ? column.texts.size() : column.numbers.size();
    if (held != table.rowCount)
      raiseFailure(formatText("%s: variable %s holds %zu values for %llu records", outPath.c_str(),
                              column.name.c_str(), held,
                              static_cast<unsigned long long>(table.rowCount)));
    if (column.name.empty()) raiseFailure(outPath + ": a variable has no name");
    const auto [it, fresh] = seen.emplace(DataArrayHeader::lookupKey(column.name), &column.name);
    if (!fresh)
      raiseFailure("variables " + *it->second + " and " + column.name +
                   " have the same name once upper-cased");
  }
}

bool holdsNegativeZero(const std::vector<double>& values) {
  return std::any_of(values.begin(), values.end(),
                     [](double v) { return v == 0 && std::signbit(v); });
}

// Stores one column as a variable of the new data set and releases the column's memory.
void storeImported(ImportedColumn& column, DataSet& data, WriteReport& report) {
  std::vector<double> codes;
  std::vector<double>* values = &column.numbers;
  LabelMap labels;
  StoreOptions options;
  // The first text keeps the name as the source spelled it ("" for none).
  options.variable = {.textA = column.unnamed ? "" : column.name, .textB = column.label};
  options.saveHeader = false;
  if (column.isText) {
    codeTexts(column.texts, codes, labels);
    values = &codes;
    options.variable.kind = 'C';
  } else if (!column.valueLabels.empty()) {
    if (integerLabels(column, labels))
      options.variable.kind = 'C';
    else
      report.notes.push_back(column.name +
                             ": value labels dropped, the variable holds values that are "
                             "not integers");
  }
  if (options.variable.kind == 'C') options.labels = &labels;
  const bool negativeZero = holdsNegativeZero(*values);
  if (!data.storeColumn(column.name, *values, options))
    report.notes.push_back(column.name + ": too many labels; some will not be read back");
  // Whole numbers are stored as integers, which have no negative zero.
  if (negativeZero && !holdsNegativeZero(*values))
    report.notes.push_back(column.name + ": -0 is stored as 0 (the variable holds whole numbers)");
  std::vector<double>().swap(column.numbers);
  std::vector<std::string>().swap(column.texts);
}

}  // namespace

WriteReport writeDataSet(ImportedTable& table, const std::string& outPath,
                         const WriteOptions& options, const ProgressCallback& progress) {
  const std::string stem = dataArrayStem(outPath);
  if (baseNameOf(stem).empty()) raiseFailure(outPath + ": the data set needs a name");
  checkTable(table, outPath, options);

  WriteReport report;
  report.records = table.rowCount;
  StagingDirectory work(stem, kDataArrayStaging);
  const std::string staged = work.file(baseNameOf(stem));
  {
    createDataArray(staged + ".daH", static_cast<std::uint32_t>(table.rowCount));
    DataSet data;
    if (!data.openDataArray(staged + ".daH"))
      raiseFailure(staged + ".daH: can't open the new data array");
    data.header(0).headerTextA = makeTextField(upperCase(options.idVariable));
    data.header(0).headerTextB = makeTextField(upperCase(options.weightVariable));
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      storeImported(table.columns[i], data, report);
      if (progress) progress(i + 1, table.columns.size());
    }
    data.saveHeader();
    report.variables = data.header(0).variables().size();
  }
  replaceDataArray(work, stem);
  return report;
}

}  // namespace tessary
