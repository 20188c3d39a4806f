// Writing a data array or the household level of a combined data array as CSV: a
// header row, then one line per record. Missing values are empty cells (a line that
// would be empty is written as ""); categorical values are written as their labels
// (codes without a label, or every code when asked, as numbers); numbers in their
// shortest form that reads back exactly. Beside the file (not beside standard output)
// goes its description (import/data_set_description.h): importing the file then gives
// the data set back.
#pragma once

#include <string>
#include <vector>

namespace tessary::cli {

struct ExportOptions {
  std::vector<std::string> variables;  // empty: every variable, in the order added
  bool codes = false;                  // categorical variables as codes
};

// One CSV field: quoted when it holds a separator (comma, semicolon, tab), a quote, a
// line break or outer blanks, or reads as missing ("NA", "."); the import reads back
// exactly this text.
std::string csvField(const std::string& text);

// Writes the CSV file ("-": standard output); returns the number of records written.
std::uint64_t exportCsv(const std::string& dataSet, const std::string& outPath,
                        const ExportOptions& options);

}  // namespace tessary::cli
