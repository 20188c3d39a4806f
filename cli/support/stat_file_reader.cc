#include "support/stat_file_reader.h"

#include <readstat.h>

#include <cmath>
#include <map>
#include <memory>

#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/text.h"

namespace tessary::cli {
namespace {

struct ReadState {
  ImportedTable table;
  std::vector<std::string> labelSetOfColumn;  // per column, "" when none
  std::map<std::string, std::map<double, std::string>> labelSets;
  std::string errorText;
  std::string failure;  // raised after the parse: handlers must not throw through C
  std::int64_t expectedRows = -1;
  const ProgressCallback* progress = nullptr;
};

double numberOf(readstat_value_t value) {
  switch (readstat_value_type(value)) {
    case READSTAT_TYPE_INT8:
      return readstat_int8_value(value);
    case READSTAT_TYPE_INT16:
      return readstat_int16_value(value);
    case READSTAT_TYPE_INT32:
      return readstat_int32_value(value);
    case READSTAT_TYPE_FLOAT:
      return static_cast<double>(readstat_float_value(value));
    case READSTAT_TYPE_DOUBLE:
      return readstat_double_value(value);
    default:
      return MISSING;
  }
}

std::string trimmedRight(const char* text) {
  std::string s = text != nullptr ? text : "";
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
    s.pop_back();
  return s;
}

int onMetadata(readstat_metadata_t* metadata, void* context) {
  auto& state = *static_cast<ReadState*>(context);
  state.expectedRows = readstat_get_row_count(metadata);
  return READSTAT_HANDLER_OK;
}

int onVariable(int index, readstat_variable_t* variable, const char* labelSet, void* context) {
  auto& state = *static_cast<ReadState*>(context);
  if (index < 0) return READSTAT_HANDLER_ABORT;
  const auto at = static_cast<std::size_t>(index);
  if (state.table.columns.size() <= at) {
    state.table.columns.resize(at + 1);
    state.labelSetOfColumn.resize(at + 1);
  }
  ImportedColumn& column = state.table.columns[at];
  column.name = readstat_variable_get_name(variable);
  const char* label = readstat_variable_get_label(variable);
  column.label = label != nullptr ? label : "";
  column.isText = readstat_variable_get_type_class(variable) == READSTAT_TYPE_CLASS_STRING;
  if (state.expectedRows > 0) {
    const auto rows = static_cast<std::size_t>(state.expectedRows);
    if (column.isText)
      column.texts.reserve(rows);
    else
      column.numbers.reserve(rows);
  }
  state.labelSetOfColumn[at] = labelSet != nullptr ? labelSet : "";
  return READSTAT_HANDLER_OK;
}

int onValue(int row, readstat_variable_t* variable, readstat_value_t value, void* context) {
  auto& state = *static_cast<ReadState*>(context);
  const int index = readstat_variable_get_index(variable);
  if (row < 0 || index < 0 || static_cast<std::size_t>(index) >= state.table.columns.size()) {
    state.failure = formatText("row %d: a value of an unknown variable", row + 1);
    return READSTAT_HANDLER_ABORT;
  }
  ImportedColumn& column = state.table.columns[static_cast<std::size_t>(index)];
  const auto at = static_cast<std::size_t>(row);
  const bool missing = readstat_value_is_missing(value, variable) != 0;
  if (column.isText) {
    if (column.texts.size() <= at) column.texts.resize(at + 1);
    if (!missing) column.texts[at] = trimmedRight(readstat_string_value(value));
  } else {
    if (column.numbers.size() <= at) column.numbers.resize(at + 1, MISSING);
    const double number = missing ? MISSING : numberOf(value);
    column.numbers[at] = std::isfinite(number) ? number : MISSING;
  }
  if (static_cast<std::uint64_t>(row) + 1 > state.table.rowCount) state.table.rowCount = row + 1;
  return READSTAT_HANDLER_OK;
}

int onValueLabel(const char* labelSet, readstat_value_t value, const char* label, void* context) {
  auto& state = *static_cast<ReadState*>(context);
  // Labels of string values say nothing the strings themselves do not.
  if (readstat_value_type_class(value) != READSTAT_TYPE_CLASS_NUMERIC) return READSTAT_HANDLER_OK;
  if (readstat_value_is_tagged_missing(value) || readstat_value_is_system_missing(value))
    return READSTAT_HANDLER_OK;
  state.labelSets[labelSet != nullptr ? labelSet : ""][numberOf(value)] =
      label != nullptr ? label : "";
  return READSTAT_HANDLER_OK;
}

void onError(const char* message, void* context) {
  auto& state = *static_cast<ReadState*>(context);
  std::string text = message != nullptr ? message : "";
  while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  if (!state.errorText.empty()) state.errorText += "; ";
  state.errorText += text;
}

int onProgress(double fraction, void* context) {
  auto& state = *static_cast<ReadState*>(context);
  if (state.progress != nullptr && *state.progress)
    (*state.progress)(static_cast<std::uint64_t>(fraction * 1000.0), 1000);
  return READSTAT_HANDLER_OK;
}

const char* formatName(StatFormat format) {
  switch (format) {
    case StatFormat::kStata:
      return "Stata";
    case StatFormat::kSpss:
      return "SPSS";
    default:
      return "SAS";
  }
}

}  // namespace

bool statFormatOf(const std::string& path, StatFormat& format) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string extension = upperCase(path.substr(dot + 1));
  if (extension == "DTA")
    format = StatFormat::kStata;
  else if (extension == "SAV" || extension == "ZSAV")
    format = StatFormat::kSpss;
  else if (extension == "SAS7BDAT")
    format = StatFormat::kSas;
  else
    return false;
  return true;
}

ImportedTable readStatFile(const std::string& path, StatFormat format,
                           const ProgressCallback& progress) {
  ReadState state;
  state.progress = &progress;
  std::unique_ptr<readstat_parser_t, void (*)(readstat_parser_t*)> parser(readstat_parser_init(),
                                                                          &readstat_parser_free);
  if (!parser) raiseFailure(path + ": out of memory");
  readstat_set_metadata_handler(parser.get(), &onMetadata);
  readstat_set_variable_handler(parser.get(), &onVariable);
  readstat_set_value_handler(parser.get(), &onValue);
  readstat_set_value_label_handler(parser.get(), &onValueLabel);
  readstat_set_error_handler(parser.get(), &onError);
  readstat_set_progress_handler(parser.get(), &onProgress);
  readstat_error_t error = READSTAT_OK;
  switch (format) {
    case StatFormat::kStata:
      error = readstat_parse_dta(parser.get(), path.c_str(), &state);
      break;
    case StatFormat::kSpss:
      error = readstat_parse_sav(parser.get(), path.c_str(), &state);
      break;
    case StatFormat::kSas:
      error = readstat_parse_sas7bdat(parser.get(), path.c_str(), &state);
      break;
  }
  if (error != READSTAT_OK || !state.failure.empty()) {
    std::string text = path + ": can't read it as a " + formatName(format) + " file: ";
    text += !state.failure.empty() ? state.failure : readstat_error_message(error);
    if (!state.errorText.empty()) text += " (" + state.errorText + ")";
    raiseFailure(text);
  }
  ImportedTable& table = state.table;
  if (table.columns.empty()) raiseFailure(path + ": the file holds no variables");
  if (table.rowCount == 0) raiseFailure(path + ": the file holds no records");
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    ImportedColumn& column = table.columns[i];
    if (column.isText)
      column.texts.resize(table.rowCount);
    else
      column.numbers.resize(table.rowCount, MISSING);
    const auto set = state.labelSets.find(state.labelSetOfColumn[i]);
    if (!column.isText && !state.labelSetOfColumn[i].empty() && set != state.labelSets.end())
      column.valueLabels = set->second;
  }
  return std::move(state.table);
}

}  // namespace tessary::cli
