// Turning an imported table into a data array. Numeric columns are stored through
// DataSet::storeColumn (which picks the encoding) with their holes; text columns and
// columns with value labels become categorical, their labels written to the .daL
// file. The data array is built in a private directory next to its destination and
// replaces the destination's files as one step (data/data_array_replacement.h), so a
// failure or a crash leaves the old data set or the new one, never a mix.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "data/imported_table.h"
#include "platform/column_memory.h"

namespace tessary {

struct WriteOptions {
  std::string idVariable{};      // "" when none; stored as the header's first text
  std::string weightVariable{};  // "" when none; stored as the header's second text
};

struct WriteReport {
  std::uint64_t records = 0;
  std::size_t variables = 0;
  std::vector<std::string> notes;  // things the user should know (labels dropped ...)
};

// Codes 1..k for the levels of a text column in sorted order; `labels` receives code ->
// text (or the text's label when it has one), and each record's code (missing for none)
// goes to `codes`.
void codeLevels(const ImportedColumn& column, ColumnBuffer<double>& codes,
                std::map<int, std::string>& labels);

// Gives every column a name the expression language reads (data/readable_name.h),
// numbering names taken by another column (NAME_2, NAME_3 ...); a note tells each
// change. Returns the stored (upper-case) name of every column.
std::vector<std::string> storedNames(const ImportedTable& table, std::vector<std::string>& notes);

// Writes `table` as the data array `outPath` (directory + base name; an extension is
// dropped). The table's columns are consumed; its notes open the report's. The
// identifier and the weight may be named as the source spells them or by their stored
// names.
WriteReport writeDataSet(ImportedTable& table, const std::string& outPath,
                         const WriteOptions& options, const ProgressCallback& progress = {});

}  // namespace tessary
