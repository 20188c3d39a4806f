#include "support/data_set_writer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <span>

#include "data/data_array.h"
#include "data/data_array_replacement.h"
#include "data/data_set_builder.h"
#include "data/labels.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/directories.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tessary::cli {
namespace {

// The code=label form of a section is read only this far.
constexpr std::size_t kLabelSectionBytes = 6000;

// A label as one line of the label file: line feeds (which no line can hold) and NULs
// become blanks.
std::string oneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\0', ' ');
  return text;
}

// A label of the numbered form as the reader gives it back: it trims a value's outer
// blanks (carriage returns included) and takes off one pair of enclosing quotes, so a
// label with either is written in quotes.
std::string numberedFormValue(const std::string& label) {
  if (label.empty()) return label;
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  const bool enclosed = label.size() >= 2 && label.front() == label.back() &&
                        (label.front() == '"' || label.front() == '\'');
  if (blank(label.front()) || blank(label.back()) || enclosed) return '"' + label + '"';
  return label;
}

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

// The staging directory of the new data array; removed unless handed on.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& destinationStem)
      : path_(createStagingDirectory(destinationStem)) {}
  ~WorkingDirectory() {
    if (!path_.empty()) removeDirectoryTree(path_);
  }
  const std::string& path() const { return path_; }
  // The replacement owns the directory from here on.
  std::string release() { return std::exchange(path_, ""); }

 private:
  std::string path_;
};

const ImportedColumn* findColumn(const ImportedTable& table, const std::string& name) {
  const std::string key = upperCase(name);
  for (const ImportedColumn& column : table.columns)
    if (upperCase(column.name) == key) return &column;
  return nullptr;
}

}  // namespace

std::string dataArrayStem(const std::string& path) {
  const std::string base = baseNameOf(path);
  const std::size_t dot = base.rfind('.');
  if (dot == std::string::npos) return path;
  const std::string extension = upperCase(base.substr(dot));
  if (extension == ".DAH" || extension == ".DAD" || extension == ".MSK" || extension == ".DAL")
    return path.substr(0, path.size() - (base.size() - dot));
  return path;
}

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

std::string labelSection(const std::string& variableName, const std::map<int, std::string>& labels,
                         bool& complete) {
  complete = true;
  std::string out = "[" + labelSectionName(upperCase(variableName)) + "]\n";
  if (labels.empty()) return out;
  const int lowest = labels.begin()->first;
  const int highest = labels.rbegin()->first;
  const bool numbered = lowest == 1 && static_cast<std::size_t>(highest) == labels.size();

  std::string pairs;
  std::size_t budget = 2;
  for (const auto& [code, label] : labels) {
    const std::string line = std::to_string(code) + "=" + oneLine(label);
    budget += line.size() + 1;
    pairs += line + "\n";
  }
  const bool pairsFit = budget <= kLabelSectionBytes;
  if (!numbered && pairsFit) return out + pairs;
  // The file holds at least these pairs, and a reader believes no more levels than that.
  if (lowest >= 1 && static_cast<std::uint64_t>(highest) <= mostLabelLevels(pairs.size())) {
    // Numbered form: read whole; codes without a label read back as "L<code>".
    out += "nLevels=" + std::to_string(highest) + "\n";
    for (const auto& [code, label] : labels)
      out += std::to_string(code) + "=" + numberedFormValue(oneLine(label)) + "\n";
    return out;
  }
  complete = false;
  return out + pairs;
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

// Stores one column as a variable of `data` (values, holes, its label section) and
// releases the column's memory.
void storeColumn(ImportedColumn& column, DataArray& data, std::string& labelFile,
                 WriteReport& report) {
  std::vector<double> codes;
  std::vector<double>* values = &column.numbers;
  std::map<int, std::string> labels;
  char kind = 'N';
  if (column.isText) {
    codeTexts(column.texts, codes, labels);
    values = &codes;
    kind = 'C';
  } else if (!column.valueLabels.empty()) {
    if (integerLabels(column, labels))
      kind = 'C';
    else
      report.notes.push_back(column.name +
                             ": value labels dropped, the variable holds values that are "
                             "not integers");
  }
  const std::string name = DataArrayHeader::lookupKey(column.name);
  // The first text keeps the name as the source spelled it ("" for none).
  data.addVariable(column.unnamed ? "" : column.name, name, column.label, kind, -1, -1, -1, 0, 0);
  data.variableCount += 1;
  const bool negativeZero = holdsNegativeZero(*values);
  data.SetValue(name, std::span<double>(values->data(), data.recordCount));
  // Whole numbers are stored as integers, which have no negative zero.
  if (negativeZero && !holdsNegativeZero(*values))
    report.notes.push_back(column.name + ": -0 is stored as 0 (the variable holds whole numbers)");
  std::vector<std::uint8_t> holes(data.maskBytes, 0);
  for (std::uint32_t r = 0; r < data.recordCount; ++r)
    if (!std::isfinite((*values)[r])) setHole(holes.data(), r + 1);
  data.SetMask(name, holes);
  if (kind == 'C') {
    bool complete = true;
    labelFile += labelSection(name, labels, complete);
    if (!complete)
      report.notes.push_back(column.name + ": too many labels; some will not be read back");
  }
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
  const auto records = static_cast<std::uint32_t>(table.rowCount);
  WorkingDirectory work(stem);
  const std::string base = baseNameOf(stem);
  const std::string staged = work.path() + base;
  std::string labelFile;
  {
    createDataArray(staged + ".daH", records);
    DataArray data;
    if (!data.open(staged + ".daH")) raiseFailure(staged + ".daH: can't open the new data array");
    data.loadHeader();
    data.headerTextA = makeTextField(upperCase(options.idVariable));
    data.headerTextB = makeTextField(upperCase(options.weightVariable));
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      storeColumn(table.columns[i], data, labelFile, report);
      if (progress) progress(i + 1, table.columns.size());
    }
    if (!labelFile.empty() && !writeWholeFile(staged + ".daL", labelFile))
      raiseFileFailure(staged + ".daL: can't write the labels", staged + ".daL", lastSystemError());
    if (!data.saveHeader())
      raiseFileFailure(staged + ".daH: can't write the header", staged + ".daH", lastSystemError());
    report.variables = data.variables().size();
  }

  replaceDataArray(work.release(), stem);
  return report;
}

}  // namespace tessary::cli
