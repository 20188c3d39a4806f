// Reading Stata (.dta), SPSS (.sav) and SAS (.sas7bdat) files through ReadStat.
// Numeric variables keep their values; every kind of missing value of the source
// (system, tagged and user-defined) becomes a missing value; string variables become
// text columns; value labels and variable labels come along.
#pragma once

#include <string>

#include "support/csv_reader.h"
#include "support/imported_table.h"

namespace tessary::cli {

enum class StatFormat { kStata, kSpss, kSas };

// The format a file name's extension announces; false for any other extension.
bool statFormatOf(const std::string& path, StatFormat& format);

// Reads the whole file; raises "<file>: <problem>" when ReadStat cannot read it.
ImportedTable readStatFile(const std::string& path, StatFormat format,
                           const ProgressCallback& progress = {});

}  // namespace tessary::cli
