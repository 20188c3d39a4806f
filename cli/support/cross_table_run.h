// `tessary xtab`: tables through the library's CrossTabulate, which writes an HTML
// fragment (with the page head when asked) to "EvalResult.tbl" in the temporary
// directory; the tool closes the page and copies it where the user wants it.
#pragma once

#include <string>
#include <vector>

namespace tessary::cli {

struct XtabOptions {
  std::string data;
  int level = 0;  // of a combined data array
  std::string filter;
  std::string weight;
  std::vector<std::string> variables;   // summaries of variables, or
  std::string rows, columns, of;        // a one-way or two-way table
  std::vector<std::string> statistics;  // count, mean, std, min, max, row%, col%, total%
  bool statisticPerLine = false;
};

// The options bytes for the statistics named; raises on an unknown name.
std::vector<unsigned char> statisticBytes(const std::vector<std::string>& names);

// Appends one tabulation to the library's output file; `first` starts a new page.
void tabulate(const XtabOptions& options, bool first);

// Copies the library's output file to `outPath` with the page's closing tags.
void finishReport(const std::string& outPath);

}  // namespace tessary::cli
