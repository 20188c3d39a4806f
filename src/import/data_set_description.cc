#include "import/data_set_description.h"

#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

#include "data/readable_name.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/file.h"
#include "platform/text.h"

namespace tessary {
namespace {

using nlohmann::json;

nlohmann::json encodeVariable(const VariableDescription& variable) {
  json out = {{"name", variable.name}, {"spelled", variable.spelled}, {"label", variable.label}};
  if (!variable.categorical) return out;
  out["categorical"] = true;
  out["cells"] = variable.cellsHoldCodes ? "codes" : "labels";
  json codes = json::object();
  for (const auto& [code, label] : variable.codes)
    codes[std::to_string(code)] = label;
  out["codes"] = codes;
  return out;
}

std::string textAt(const json& object, const char* key, const std::string& where) {
  if (!object.contains(key)) return "";
  if (!object[key].is_string()) raiseFailure(where + "." + key + ": not a text");
  return object[key].get<std::string>();
}

int codeOf(const std::string& text, const std::string& where) {
  std::size_t used = 0;
  long long code = 0;
  try {
    code = std::stoll(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || text.empty() || code < std::numeric_limits<int>::min() ||
      code > std::numeric_limits<int>::max())
    raiseFailure(where + ": \"" + text + "\" is not a whole-number code");
  return static_cast<int>(code);
}

VariableDescription decodeVariable(const json& object, const std::string& where) {
  if (!object.is_object()) raiseFailure(where + ": not an object");
  VariableDescription variable;
  variable.name = textAt(object, "name", where);
  if (variable.name.empty()) raiseFailure(where + ".name: missing");
  variable.spelled = textAt(object, "spelled", where);
  variable.label = textAt(object, "label", where);
  variable.categorical = object.value("categorical", false);
  variable.cellsHoldCodes = textAt(object, "cells", where) == "codes";
  if (object.contains("codes")) {
    if (!object["codes"].is_object()) raiseFailure(where + ".codes: not an object");
    for (const auto& [code, label] : object["codes"].items()) {
      if (!label.is_string()) raiseFailure(where + ".codes." + code + ": not a text");
      variable.codes[codeOf(code, where + ".codes")] = label.get<std::string>();
    }
  }
  return variable;
}

ImportedColumn* columnNamed(ImportedTable& table, const std::string& name) {
  const std::string key = upperCase(name);
  for (ImportedColumn& column : table.columns)
    if (upperCase(column.name) == key || readableName(column.name) == key) return &column;
  return nullptr;
}

// The codes of a column whose cells hold labels (or codes without a label).
void labelsToCodes(ImportedColumn& column, const VariableDescription& variable,
                   const std::string& where) {
  std::map<std::string, double> codeOfLabel;
  for (const auto& [code, label] : variable.codes)
    codeOfLabel.emplace(label, code);
  std::vector<double> codeOfEntry(column.levels.size() + 1, MISSING);
  for (std::size_t l = 0; l < column.levels.size(); ++l) {
    const auto found = codeOfLabel.find(column.levels[l]);
    codeOfEntry[l + 1] = found != codeOfLabel.end()
                             ? found->second
                             : codeOf(std::string(trimBlanks(column.levels[l])), where);
  }
  column.numbers.resize(column.levelOfRecord.size());
  for (std::size_t r = 0; r < column.numbers.size(); ++r)
    column.numbers[r] = codeOfEntry[column.levelOfRecord[r]];
  column.levels.clear();
  std::vector<std::uint32_t>().swap(column.levelOfRecord);
  column.isText = false;
}

void describeColumn(ImportedColumn& column, const VariableDescription& variable,
                    const std::string& where) {
  column.unnamed = variable.spelled.empty();
  column.name = column.unnamed ? variable.name : variable.spelled;
  column.label = variable.label;
  if (!variable.categorical) return;
  if (column.isText) {
    if (variable.cellsHoldCodes) raiseFailure(where + ": the codes are not numbers");
    labelsToCodes(column, variable, where);
  }
  column.valueLabels.clear();
  for (const auto& [code, label] : variable.codes)
    column.valueLabels[code] = label;
  column.categorical = true;
}

}  // namespace

std::string descriptionPath(const std::string& csvPath) {
  return csvPath + ".json";
}

std::string encodeDescription(const DataSetDescription& description) {
  json variables = json::array();
  for (const VariableDescription& variable : description.variables)
    variables.push_back(encodeVariable(variable));
  const json out = {{"identifier", description.identifier},
                    {"weight", description.weight},
                    {"variables", variables}};
  return out.dump(1) + "\n";
}

DataSetDescription readDescription(const std::string& path) {
  std::string content;
  if (!readWholeFile(path, content))
    raiseFailure(formatText("%s: can't read the file (%s)", path.c_str(),
                            systemErrorText(lastSystemError()).c_str()));
  const json document = json::parse(content, nullptr, false);
  if (document.is_discarded() || !document.is_object())
    raiseFailure(path + ": not a data set description (JSON object)");
  DataSetDescription description;
  description.identifier = textAt(document, "identifier", path);
  description.weight = textAt(document, "weight", path);
  if (document.contains("variables")) {
    if (!document["variables"].is_array()) raiseFailure(path + ": variables: not a list");
    for (std::size_t i = 0; i < document["variables"].size(); ++i)
      description.variables.push_back(decodeVariable(
          document["variables"][i], formatText("%s: variables[%zu]", path.c_str(), i)));
  }
  return description;
}

void applyDescription(ImportedTable& table, const DataSetDescription& description,
                      const std::string& path) {
  for (const VariableDescription& variable : description.variables) {
    ImportedColumn* column = columnNamed(table, variable.name);
    if (column == nullptr) continue;  // an export of some variables only
    describeColumn(*column, variable, path + ": " + variable.name);
  }
  table.identifier = description.identifier;
  table.weight = description.weight;
}

}  // namespace tessary
