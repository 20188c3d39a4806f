#include "import/stat_file_reader.h"

#include <readstat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <optional>

#include "frame/failure.h"
#include "frame/missing.h"
#include "import/stat_dates.h"
#include "platform/file.h"
#include "platform/text.h"

namespace tessary {
namespace {

constexpr const char* kTooMuchData =
    "the file is damaged: it describes more data than memory holds";

struct ReadState {
  ImportedTable table;
  std::vector<std::string> labelSetOfColumn;  // per column, "" when none
  std::vector<std::optional<DateScale>> dateOfColumn;
  std::vector<LevelCollector> levels;  // per column, once every variable is known
  std::map<std::string, std::map<double, std::string>> labelSets;
  std::map<std::string, std::map<std::string, std::string>> textLabelSets;
  StatFormat format = StatFormat::kStata;
  std::string errorText;
  std::string failure;  // raised after the parse: handlers must not throw through C
  bool outOfMemory = false;
  std::int64_t fileBytes = 0;
  std::int64_t expectedRows = -1;
  std::int64_t expectedColumns = -1;
  // Stata files name value-label sets in fixed fields that are not always terminated:
  // a variable's set in 9, 33 or 129 bytes, a label table's in 12, 33 or 129 (by
  // version). Other formats hand back terminated names.
  bool stata = false;
  std::size_t variableSetWidth = 9;
  std::size_t tableSetWidth = 12;
  const ProgressCallback* progress = nullptr;
};

// Runs a handler's work. Nothing may leave a handler through ReadStat's C frames: a
// failure (memory exhausted by a damaged count included) is kept for after the parse.
template <class Work>
int handle(void* context, Work&& work) {
  auto& state = *static_cast<ReadState*>(context);
  try {
    return work(state);
  } catch (const std::bad_alloc&) {
    state.outOfMemory = true;
  } catch (const std::exception& error) {
    try {
      state.failure = error.what();
    } catch (...) {
      state.outOfMemory = true;
    }
  }
  return READSTAT_HANDLER_ABORT;
}

int abortWith(ReadState& state, std::string failure) {
  state.failure = std::move(failure);
  return READSTAT_HANDLER_ABORT;
}

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

std::string labelSetName(const ReadState& state, const char* name, std::size_t width) {
  if (name == nullptr) return {};
  return std::string(name, state.stata ? strnlen(name, width) : std::strlen(name));
}

int onMetadata(readstat_metadata_t* metadata, void* context) {
  return handle(context, [&](ReadState& state) -> int {
    if (metadata == nullptr) return abortWith(state, "the file has no description");
    state.expectedRows = readstat_get_row_count(metadata);
    state.expectedColumns = readstat_get_var_count(metadata);
    const int version = readstat_get_file_format_version(metadata);
    state.variableSetWidth = version < 110 ? 9 : version < 118 ? 33 : 129;
    state.tableSetWidth = version < 105 ? 12 : version < 118 ? 33 : 129;
    return READSTAT_HANDLER_OK;
  });
}

// The rows to make room for: what the file claims, but no more than its size can hold
// at one byte a value (damaged counts must not allocate; compressed files just grow).
std::size_t roomForRows(const ReadState& state) {
  if (state.expectedRows <= 0) return 0;
  const std::int64_t columns = std::max<std::int64_t>(state.expectedColumns, 1);
  return static_cast<std::size_t>(std::min(state.expectedRows, state.fileBytes / columns + 1));
}

int onVariable(int index, readstat_variable_t* variable, const char* labelSet, void* context) {
  return handle(context, [&](ReadState& state) -> int {
    // Variables arrive in order, each once.
    if (variable == nullptr || index < 0 ||
        static_cast<std::size_t>(index) != state.table.columns.size() ||
        (state.expectedColumns >= 0 && index >= state.expectedColumns))
      return abortWith(state, formatText("variable %d is out of place", index + 1));
    const char* name = readstat_variable_get_name(variable);
    if (name == nullptr || *name == '\0')
      return abortWith(state, formatText("variable %d has no name", index + 1));
    ImportedColumn& column = state.table.columns.emplace_back();
    column.name = name;
    const char* label = readstat_variable_get_label(variable);
    column.label = label != nullptr ? label : "";
    column.isText = readstat_variable_get_type_class(variable) == READSTAT_TYPE_CLASS_STRING;
    if (column.isText)
      column.levelOfRecord.reserve(roomForRows(state));
    else
      column.numbers.reserve(roomForRows(state));
    state.labelSetOfColumn.push_back(labelSetName(state, labelSet, state.variableSetWidth));
    const char* format = readstat_variable_get_format(variable);
    std::optional<DateScale> date;
    if (!column.isText && format != nullptr) date = dateScaleOf(state.format, format);
    if (date) state.table.notes.push_back(dateNote(column.name, format, *date));
    state.dateOfColumn.push_back(date);
    return READSTAT_HANDLER_OK;
  });
}

// The level collectors, made once every variable is known (the columns no longer move).
void collectLevels(ReadState& state) {
  if (!state.levels.empty()) return;
  state.levels.reserve(state.table.columns.size());
  for (ImportedColumn& column : state.table.columns)
    state.levels.emplace_back(column.levels);
}

int onValue(int row, readstat_variable_t* variable, readstat_value_t value, void* context) {
  return handle(context, [&](ReadState& state) -> int {
    collectLevels(state);
    const int index = variable != nullptr ? readstat_variable_get_index(variable) : -1;
    // Rows arrive in order: a value belongs to the current row or starts the next.
    if (row < 0 || static_cast<std::uint64_t>(row) > state.table.rowCount || index < 0 ||
        static_cast<std::size_t>(index) >= state.table.columns.size())
      return abortWith(state, formatText("row %d: a value out of place", row + 1));
    ImportedColumn& column = state.table.columns[static_cast<std::size_t>(index)];
    const auto at = static_cast<std::size_t>(row);
    const bool missing = readstat_value_is_missing(value, variable) != 0;
    if (column.isText) {
      if (column.levelOfRecord.size() <= at) column.levelOfRecord.resize(at + 1, 0);
      if (!missing)
        column.levelOfRecord[at] = state.levels[static_cast<std::size_t>(index)].entryOf(
            trimmedRight(readstat_string_value(value)));
    } else {
      if (column.numbers.size() <= at) column.numbers.resize(at + 1, MISSING);
      double number = missing ? MISSING : numberOf(value);
      const auto& date = state.dateOfColumn[static_cast<std::size_t>(index)];
      if (date) number = date->days(number);
      column.numbers[at] = std::isfinite(number) ? number : MISSING;
    }
    if (static_cast<std::uint64_t>(row) + 1 > state.table.rowCount) state.table.rowCount = row + 1;
    return READSTAT_HANDLER_OK;
  });
}

int onValueLabel(const char* labelSet, readstat_value_t value, const char* label, void* context) {
  return handle(context, [&](ReadState& state) -> int {
    if (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING) {
      const std::string text = trimmedRight(readstat_string_value(value));
      if (!text.empty())
        state.textLabelSets[labelSetName(state, labelSet, state.tableSetWidth)][text] =
            label != nullptr ? label : "";
      return READSTAT_HANDLER_OK;
    }
    if (readstat_value_is_tagged_missing(value) || readstat_value_is_system_missing(value))
      return READSTAT_HANDLER_OK;
    const double code = numberOf(value);
    if (std::isfinite(code))
      state.labelSets[labelSetName(state, labelSet, state.tableSetWidth)][code] =
          label != nullptr ? label : "";
    return READSTAT_HANDLER_OK;
  });
}

void onError(const char* message, void* context) {
  handle(context, [&](ReadState& state) -> int {
    const std::string text = joinLines(message != nullptr ? message : "");
    if (!text.empty()) state.errorText += (state.errorText.empty() ? "" : "; ") + text;
    return READSTAT_HANDLER_OK;
  });
}

int onProgress(double fraction, void* context) {
  return handle(context, [&](ReadState& state) -> int {
    if (state.progress != nullptr && *state.progress && fraction >= 0 && fraction <= 1)
      (*state.progress)(static_cast<std::uint64_t>(fraction * 1000.0), 1000);
    return READSTAT_HANDLER_OK;
  });
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

readstat_error_t parse(const std::string& path, StatFormat format, ReadState& state) {
  std::unique_ptr<readstat_parser_t, void (*)(readstat_parser_t*)> parser(readstat_parser_init(),
                                                                          &readstat_parser_free);
  if (!parser) throw std::bad_alloc();
  readstat_set_metadata_handler(parser.get(), &onMetadata);
  readstat_set_variable_handler(parser.get(), &onVariable);
  readstat_set_value_handler(parser.get(), &onValue);
  readstat_set_value_label_handler(parser.get(), &onValueLabel);
  readstat_set_error_handler(parser.get(), &onError);
  readstat_set_progress_handler(parser.get(), &onProgress);
  switch (format) {
    case StatFormat::kStata:
      return readstat_parse_dta(parser.get(), path.c_str(), &state);
    case StatFormat::kSpss:
      return readstat_parse_sav(parser.get(), path.c_str(), &state);
    default:
      return readstat_parse_sas7bdat(parser.get(), path.c_str(), &state);
  }
}

// Every column gets a value per row (a short column is filled with missing values)
// and its value labels.
void completeColumns(ReadState& state) {
  ImportedTable& table = state.table;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    ImportedColumn& column = table.columns[i];
    if (column.isText)
      column.levelOfRecord.resize(table.rowCount, 0);
    else
      column.numbers.resize(table.rowCount, MISSING);
    const std::string& setName = state.labelSetOfColumn[i];
    if (setName.empty()) continue;
    if (column.isText) {
      const auto set = state.textLabelSets.find(setName);
      if (set != state.textLabelSets.end()) column.textLabels = set->second;
    } else {
      const auto set = state.labelSets.find(setName);
      if (set != state.labelSets.end()) column.valueLabels = set->second;
    }
  }
}

}  // namespace

ImportedTable readStatFile(const std::string& path, StatFormat format,
                           const ProgressCallback& progress) {
  ReadState state;
  state.progress = &progress;
  state.stata = format == StatFormat::kStata;
  state.format = format;
  {
    File file;  // only its size: it bounds what a damaged count may make room for
    if (file.open(path, File::Mode::kRead))
      state.fileBytes = std::max<std::int64_t>(file.size(), 0);
  }
  const readstat_error_t error = parse(path, format, state);
  const std::string failed = path + ": can't read it as a " + formatName(format) + " file: ";
  if (state.outOfMemory) state.failure = kTooMuchData;
  if (error != READSTAT_OK || !state.failure.empty()) {
    const char* problem = readstat_error_message(error);
    std::string text = failed + (!state.failure.empty() ? state.failure
                                 : problem != nullptr   ? problem
                                                        : "unknown error");
    if (!state.errorText.empty()) text += " (" + state.errorText + ")";
    raiseFailure(text);
  }
  if (state.table.columns.empty()) raiseFailure(path + ": the file holds no variables");
  if (state.table.rowCount == 0) raiseFailure(path + ": the file holds no records");
  try {
    completeColumns(state);
  } catch (const std::bad_alloc&) {
    raiseFailure(failed + kTooMuchData);
  }
  return std::move(state.table);
}

}  // namespace tessary
