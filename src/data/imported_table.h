// A data set read from a foreign file, column by column, before it becomes a data
// array: numeric columns as doubles (missing values not finite), text columns as
// strings (an empty string is missing), value labels with their codes.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tessary {

// Called now and then with the work done so far and the whole of it.
using ProgressCallback = std::function<void(std::uint64_t done, std::uint64_t total)>;

struct ImportedColumn {
  std::string name;      // as the source spells it; V<position> when it gives none
  bool unnamed = false;  // the source gave the column no name
  std::string label;     // variable label, "" when none
  bool isText = false;
  std::vector<double> numbers;
  std::vector<std::string> texts;
  std::map<double, std::string> valueLabels;  // numeric code -> label
};

struct ImportedTable {
  std::vector<ImportedColumn> columns;
  std::uint64_t rowCount = 0;
};

}  // namespace tessary
