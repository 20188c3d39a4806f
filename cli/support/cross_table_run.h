// `tessary xtab`: tables through the library's tabulation (XTab). By default the numbers
// are exact weighted sums and the page escapes its texts (TabPolicy::kExact); --compat
// gives the CrossTabulate export's numbers and page, byte for byte. Pages are built from
// the fragments of one or more tabulations and closed once.
#pragma once

#include <string>
#include <vector>

#include "support/weight_choice.h"

namespace tessary::cli {

enum class TableFormat { kHtml, kCsv, kTsv };

struct XtabOptions {
  std::string data;
  int level = 0;  // of a combined data array
  std::string filter;
  WeightChoice weight;
  std::vector<std::string> variables;   // summaries of variables, or
  std::string rows, columns, of;        // a one-way or two-way table
  std::vector<std::string> statistics;  // count, mean, std, min, max, row%, col%, total%
  bool statisticPerLine = false;
  bool compat = false;  // the export's arithmetic and page
  TableFormat format = TableFormat::kHtml;
  int bins = 0;  // intervals of a continuous row variable; 0: the library's 500
  bool hideEmpty = false;
};

// The options bytes for the statistics named; raises on an unknown name.
std::vector<unsigned char> statisticBytes(const std::vector<std::string>& names);

// The format named "html", "csv" or "tsv"; raises on another name.
TableFormat tableFormat(const std::string& name);

// The text of one tabulation; `first` starts the page (HTML).
std::string tabulate(const XtabOptions& options, bool first);

// Writes the tabulations' text to `outPath` ("-": standard output), closing an HTML page.
void finishReport(const std::string& outPath, std::string text, TableFormat format);

}  // namespace tessary::cli
