// Reading Stata (.dta), SPSS (.sav) and SAS (.sas7bdat) files through ReadStat, a part
// of the library built only when ReadStat is at hand (import_file.h says which).
// Numeric variables keep their values; every kind of missing value of the source
// (system, tagged and user-defined) becomes a missing value; string variables become
// text columns; value labels and variable labels come along.
#pragma once

#include <string>

#include "data/imported_table.h"

namespace tessary {

enum class StatFormat { kStata, kSpss, kSas };

// Reads the whole file; raises "<file>: <problem>" when ReadStat cannot read it.
ImportedTable readStatFile(const std::string& path, StatFormat format,
                           const ProgressCallback& progress = {});

}  // namespace tessary
