// Importing a foreign file as a data array: Stata (.dta), SPSS (.sav, .zsav) and SAS
// (.sas7bdat) files through ReadStat when the library is built with it, every other
// file as CSV.
#pragma once

#include <string>

#include "data/data_set_writer.h"
#include "data/imported_table.h"
#include "import/column_types.h"
#include "import/stat_file_reader.h"

namespace tessary {

// The format a file name's extension announces; false for any other extension.
bool statFormatOf(const std::string& path, StatFormat& format);

struct ImportOptions {
  WriteOptions write{};       // the identifier and the weight
  ColumnTypeRequest types{};  // columns read as text or as numbers whatever they hold
};

// Reads the whole file; raises "<file>: <problem>" when it can't.
ImportedTable readImportFile(const std::string& path, const ColumnTypeRequest& types = {},
                             const ProgressCallback& progress = {});

// Reads `file` and writes it as the data array `outPath` (see writeDataSet).
WriteReport importFile(const std::string& file, const std::string& outPath,
                       const ImportOptions& options);

}  // namespace tessary
