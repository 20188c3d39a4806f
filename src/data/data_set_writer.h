// Turning an imported table into a data array. Numeric columns are stored through
// DataSet::storeColumn (which picks the encoding) with their holes; text columns and
// columns with value labels become categorical, their labels written to the .daL
// file. The data array is built in a private directory next to its destination and
// replaces the destination's files as one step (data/data_array_replacement.h), so a
// failure or a crash leaves the old data set or the new one, never a mix.
#pragma once

#include <string>
#include <vector>

#include "data/imported_table.h"

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

// Codes 1..k for the distinct non-empty texts in sorted order; `labels` receives
// code -> text, and each text's code (missing for an empty text) goes to `codes`.
void codeTexts(const std::vector<std::string>& texts, std::vector<double>& codes,
               std::map<int, std::string>& labels);

// Writes `table` as the data array `outPath` (directory + base name; an extension is
// dropped). The table's columns are consumed.
WriteReport writeDataSet(ImportedTable& table, const std::string& outPath,
                         const WriteOptions& options, const ProgressCallback& progress = {});

}  // namespace tessary
