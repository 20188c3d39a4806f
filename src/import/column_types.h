// The types the user asks for: columns read as text (categorical) or as numbers,
// whatever they hold. Names match the source's names or their readable forms, ignoring
// case.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/imported_table.h"

namespace tessary {

struct ColumnTypeRequest {
  std::vector<std::string> text{};     // read as text
  std::vector<std::string> numeric{};  // read as numbers; cells that are not become missing
};

enum class ColumnType : std::uint8_t { kDetect, kText, kNumeric };

// The type of every column; raises for a name no column has or a name in both lists.
std::vector<ColumnType> resolveColumnTypes(const std::vector<ImportedColumn>& columns,
                                           const ColumnTypeRequest& request);

// The note on a column that holds text: "<name> is categorical: "<value>" on line <n>
// <reason>" (`line` 0 leaves the line out).
std::string categoricalNote(const std::string& name, const std::string& value, std::uint64_t line,
                            const char* reason, bool looksNumeric);

// The note on a column read as numbers: "<name>: <k> cells that are not numbers are
// missing, the first "<value>" on line <n>" (`line` 0 leaves the line out).
std::string unreadableNote(const std::string& name, std::uint64_t count, const std::string& first,
                           std::uint64_t line);

// Gives the columns of a file read whole (Stata, SPSS, SAS) the types asked for:
// numbers become their shortest exact text, texts are read as numbers.
void applyColumnTypes(ImportedTable& table, const ColumnTypeRequest& request);

}  // namespace tessary
