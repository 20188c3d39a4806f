#include "import/column_types.h"

#include <cmath>

#include "data/readable_name.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "frame/number_format.h"
#include "import/csv_cells.h"
#include "platform/text.h"

namespace tessary {
namespace {

void mark(const std::vector<ImportedColumn>& columns, const std::vector<std::string>& names,
          ColumnType type, const char* asked, std::vector<ColumnType>& types) {
  for (const std::string& name : names) {
    const std::string key = upperCase(name);
    bool found = false;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (upperCase(columns[c].name) != key && readableName(columns[c].name) != key) continue;
      if (types[c] != ColumnType::kDetect && types[c] != type)
        raiseFailure(name + ": asked to be read both as text and as numbers");
      types[c] = type;
      found = true;
    }
    if (!found)
      raiseFailure(name + ": no such variable in the imported file (asked to be read " + asked +
                   ")");
  }
}

// Long values are cut in messages.
std::string shown(const std::string& value) {
  return value.size() <= 40 ? value : value.substr(0, 37) + "...";
}

std::string onLine(std::uint64_t line) {
  return line == 0 ? "" : formatText(" on line %llu", static_cast<unsigned long long>(line));
}

}  // namespace

std::vector<ColumnType> resolveColumnTypes(const std::vector<ImportedColumn>& columns,
                                           const ColumnTypeRequest& request) {
  std::vector<ColumnType> types(columns.size(), ColumnType::kDetect);
  mark(columns, request.text, ColumnType::kText, "as text", types);
  mark(columns, request.numeric, ColumnType::kNumeric, "as numbers", types);
  return types;
}

std::string categoricalNote(const std::string& name, const std::string& value, std::uint64_t line,
                            const char* reason, bool looksNumeric) {
  std::string note =
      name + " is categorical: \"" + shown(value) + "\"" + onLine(line) + " " + reason;
  if (looksNumeric) note += " (--numeric " + name + " reads numbers)";
  return note;
}

std::string unreadableNote(const std::string& name, std::uint64_t count, const std::string& first,
                           std::uint64_t line) {
  const char* verb = count == 1 ? "cell that is not a number is" : "cells that are not numbers are";
  return formatText("%s: %llu %s missing, the first \"%s\"%s", name.c_str(),
                    static_cast<unsigned long long>(count), verb, shown(first).c_str(),
                    onLine(line).c_str());
}

void applyColumnTypes(ImportedTable& table, const ColumnTypeRequest& request) {
  const std::vector<ColumnType> types = resolveColumnTypes(table.columns, request);
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    ImportedColumn& column = table.columns[c];
    if (types[c] == ColumnType::kText && !column.isText) {
      LevelCollector levels(column.levels);
      column.levelOfRecord.reserve(column.numbers.size());
      for (double v : column.numbers)
        column.levelOfRecord.push_back(
            !std::isfinite(v) ? 0 : levels.entryOf(formatGeneral(v, kRoundTrip)));
      std::vector<double>().swap(column.numbers);
      column.valueLabels.clear();
      column.isText = true;
    } else if (types[c] == ColumnType::kNumeric && column.isText) {
      std::uint64_t unreadable = 0;
      std::string first;
      column.numbers.reserve(column.levelOfRecord.size());
      for (std::uint32_t entry : column.levelOfRecord) {
        double v = MISSING;
        if (entry == 0) {
          column.numbers.push_back(v);
          continue;
        }
        const CellReading reading = readCell(column.levels[entry - 1], ',', v);
        if (!readsAsNumber(reading) && reading != CellReading::kMissing && unreadable++ == 0)
          first = column.levels[entry - 1];
        column.numbers.push_back(v);
      }
      if (unreadable > 0) table.notes.push_back(unreadableNote(column.name, unreadable, first, 0));
      column.levels.clear();
      std::vector<std::uint32_t>().swap(column.levelOfRecord);
      column.textLabels.clear();
      column.isText = false;
    }
  }
}

}  // namespace tessary
