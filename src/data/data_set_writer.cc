#include "data/data_set_writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <map>
#include <set>
#include <span>

#include "data/data_array_replacement.h"
#include "data/data_set.h"
#include "data/data_set_builder.h"
#include "data/data_set_path.h"
#include "data/readable_name.h"
#include "data/staging_directory.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/directories.h"
#include "platform/file.h"
#include "platform/parallel.h"
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

// The column named `name` as the source spells it or by its stored name.
const ImportedColumn* findColumn(const ImportedTable& table, const std::vector<std::string>& stored,
                                 const std::string& name, std::string* storedName = nullptr) {
  const std::string key = upperCase(name);
  for (std::size_t c = 0; c < table.columns.size(); ++c)
    if (upperCase(table.columns[c].name) == key || stored[c] == key) {
      if (storedName != nullptr) *storedName = stored[c];
      return &table.columns[c];
    }
  return nullptr;
}

}  // namespace

void codeLevels(const ImportedColumn& column, ColumnBuffer<double>& codes,
                std::map<int, std::string>& labels) {
  const std::vector<std::string>& levels = column.levels;
  std::vector<std::uint32_t> order(levels.size());
  for (std::uint32_t i = 0; i < order.size(); ++i)
    order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](std::uint32_t a, std::uint32_t b) { return levels[a] < levels[b]; });
  std::vector<double> codeOfEntry(levels.size() + 1, MISSING);
  labels.clear();
  for (std::size_t rank = 0; rank < order.size(); ++rank) {
    const std::string& text = levels[order[rank]];
    codeOfEntry[order[rank] + 1] = static_cast<double>(rank + 1);
    const auto label = column.textLabels.find(text);
    labels[static_cast<int>(rank + 1)] = label != column.textLabels.end() ? label->second : text;
  }
  codes.resize(column.levelOfRecord.size());
  forEachBlock(codes.size(), kRecordsPerBlock,
               [&](std::size_t, std::size_t begin, std::size_t end) {
                 for (std::size_t r = begin; r < end; ++r)
                   codes[r] = codeOfEntry[column.levelOfRecord[r]];
               });
}

std::vector<std::string> storedNames(const ImportedTable& table, std::vector<std::string>& notes) {
  std::vector<std::string> names(table.columns.size());
  std::set<std::string> taken;
  for (std::size_t c = 0; c < names.size(); ++c)
    if (isReadableName(table.columns[c].name) &&
        taken.insert(upperCase(table.columns[c].name)).second)
      names[c] = upperCase(table.columns[c].name);
  for (std::size_t c = 0; c < names.size(); ++c) {
    if (!names[c].empty()) continue;
    const std::string& source = table.columns[c].name;
    const std::string readable = readableName(source);
    names[c] = readable;
    for (int n = 2; !taken.insert(names[c]).second; ++n)
      names[c] = readable + "_" + std::to_string(n);
    if (upperCase(source) == names[c]) continue;  // a repeated name: checkTable says so
    notes.push_back(source + " is stored as " + names[c] +
                    (isReadableName(source) ? " (the name is taken by another variable)"
                                            : " (a name expressions can read)"));
  }
  return names;
}

namespace {

void checkTable(const ImportedTable& table, const std::vector<std::string>& stored,
                const std::string& outPath, const WriteOptions& options) {
  if (table.rowCount > 0x7FFFFFFFu)
    raiseFailure(formatText("%s: %llu records are more than a data array holds", outPath.c_str(),
                            static_cast<unsigned long long>(table.rowCount)));
  for (const std::string* name : {&options.idVariable, &options.weightVariable})
    if (!name->empty() && findColumn(table, stored, *name) == nullptr)
      raiseFailure(*name + ": no such variable in the imported file");
  if (!options.weightVariable.empty() && findColumn(table, stored, options.weightVariable)->isText)
    raiseFailure(options.weightVariable + ": the weight variable holds text");
  std::map<std::string, const std::string*> seen;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    const ImportedColumn& column = table.columns[c];
    const std::size_t held = column.size();
    if (held != table.rowCount)
      raiseFailure(formatText("%s: variable %s holds %zu values for %llu records", outPath.c_str(),
                              column.name.c_str(), held,
                              static_cast<unsigned long long>(table.rowCount)));
    if (column.name.empty()) raiseFailure(outPath + ": a variable has no name");
    const auto [it, fresh] = seen.emplace(stored[c], &column.name);
    if (!fresh)
      raiseFailure("variables " + *it->second + " and " + column.name +
                   " have the same name once upper-cased");
  }
}

bool holdsNegativeZero(std::span<const double> values) {
  constexpr std::uint64_t kNegativeZero = std::uint64_t{1} << 63;
  return reduceBlocks(
      values.size(), kRecordsPerBlock, false,
      [&](std::size_t begin, std::size_t end) {
        std::size_t found = 0;  // counted, not searched: the loop vectorises
        for (std::size_t i = begin; i < end; ++i)
          found += std::bit_cast<std::uint64_t>(values[i]) == kNegativeZero;
        return found > 0;
      },
      [](bool a, bool b) { return a || b; });
}

// Stores one column as a variable of the new data set and releases the column's memory.
void storeImported(ImportedColumn& column, const std::string& name, DataSet& data,
                   WriteReport& report) {
  ColumnBuffer<double> codes;
  std::span<double> values = column.numbers;
  LabelMap labels;
  StoreOptions options;
  // The first text keeps the name as the source spelled it ("" for none).
  options.variable = {.textA = column.unnamed ? "" : column.name, .textB = column.label};
  options.saveHeader = false;
  if (column.isText) {
    codeLevels(column, codes, labels);
    values = {codes.data(), codes.size()};
    options.variable.kind = 'C';
  } else if (!column.valueLabels.empty() || column.categorical) {
    if (integerLabels(column, labels))
      options.variable.kind = 'C';
    else
      report.notes.push_back(column.name +
                             ": value labels dropped, the variable holds values that are "
                             "not integers");
  }
  if (options.variable.kind == 'C') options.labels = &labels;
  // Codes of texts are never negative zeros.
  const bool negativeZero = !column.isText && holdsNegativeZero(values);
  if (!data.storeColumn(name, values, options))
    report.notes.push_back(column.name + ": too many labels; some will not be read back");
  // Whole numbers are stored as integer codes, which have no negative zero.
  if (negativeZero && data.variable(name)->encoding != 'D')
    report.notes.push_back(column.name + ": -0 is stored as 0 (the variable holds whole numbers)");
  std::vector<double>().swap(column.numbers);
  std::vector<std::uint32_t>().swap(column.levelOfRecord);
  std::vector<std::string>().swap(column.levels);
}

}  // namespace

WriteReport writeDataSet(ImportedTable& table, const std::string& outPath,
                         const WriteOptions& options, const ProgressCallback& progress) {
  const std::string stem = dataArrayStem(outPath);
  if (baseNameOf(stem).empty()) raiseFailure(outPath + ": the data set needs a name");
  WriteReport report;
  report.notes = std::move(table.notes);
  WriteOptions chosen = options;  // the caller's, else what the source says
  if (chosen.idVariable.empty()) chosen.idVariable = table.identifier;
  if (chosen.weightVariable.empty()) chosen.weightVariable = table.weight;
  const std::vector<std::string> stored = storedNames(table, report.notes);
  checkTable(table, stored, outPath, chosen);
  std::string idName, weightName;
  if (!chosen.idVariable.empty()) findColumn(table, stored, chosen.idVariable, &idName);
  if (!chosen.weightVariable.empty()) findColumn(table, stored, chosen.weightVariable, &weightName);
  report.records = table.rowCount;
  StagingDirectory work(stem, kDataArrayStaging);
  const std::string staged = work.file(baseNameOf(stem));
  {
    createDataArray(staged + ".daH", static_cast<std::uint32_t>(table.rowCount));
    DataSet data;
    if (!data.openDataArray(staged + ".daH"))
      raiseFailure(staged + ".daH: can't open the new data array");
    data.startWritebackOnWrite();  // replaceDataArray() syncs it
    data.header(0).headerTextA = makeTextField(idName);
    data.header(0).headerTextB = makeTextField(weightName);
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      storeImported(table.columns[i], stored[i], data, report);
      if (progress) progress(i + 1, table.columns.size());
    }
    data.saveHeader();
    report.variables = data.header(0).variables().size();
  }
  replaceDataArray(work, stem);
  return report;
}

}  // namespace tessary
