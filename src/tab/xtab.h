// Cross tabulation: summaries of a list of variables (mode 0), one-way (1) and two-way
// (2, 3) tables of an analysis expression by row and column formulas, and summaries
// by shifted identifier (4), over the records a filter selects, weighted throughout.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/data_set.h"
#include "tab/cross_table.h"
#include "tab/html_report.h"
#include "tab/record_selection.h"
#include "tab/tab_options.h"

namespace tessary {

class XTab {
 public:
  static constexpr int kRowLimit = 500;
  static constexpr int kColumnLimit = 100;

  // Reads the data set at its level.
  explicit XTab(DataSet& data) : data_(data) {}

  // An empty filter selects every record; an empty weight weighs every record 1.
  void setup(int mode, std::string filter, std::string weight, std::string list,
             std::string rowFormula, std::string colFormula, const std::uint8_t* options);
  // How the numbers are accumulated and written (TabPolicy), and whether rows without
  // records are left out; kept across setup().
  void setPresentation(TabPolicy policy, bool hideEmptyRows);
  // The number of intervals a continuous row variable is grouped into (about).
  void setRowLimit(int limit) { rowLimit_ = limit; }
  // The options as setup() left them.
  const TabOptions& options() const { return options_; }
  // Writes into `report` instead of the HTML page (call after setup()).
  void useReport(std::unique_ptr<TabReport> report) { report_ = std::move(report); }
  // Mode 4 writes its groups here (the caller sizes them).
  void setSummaryOutput(double* keysOut, double* valuesOut) {
    keysOut_ = keysOut;
    valuesOut_ = valuesOut;
  }

  // Builds the tabulation and saves it to the output file (modes 0 to 3); returns 0,
  // or the number of groups for mode 4.
  std::int32_t generate();

  const TabReport& report() const { return *report_; }

 private:
  void summarizeVariables(RecordSelection& selection);
  // The numbers of the table of modes 1 to 3 over the selected records.
  CrossTable tabulate(RecordSelection& selection);
  std::int32_t summarizeByIdentifier();

  DataSet& data_;
  int mode_ = 0;
  std::string filter_, weight_, rowFormula_, colFormula_, analysis_;
  std::vector<std::string> variables_;
  TabOptions options_;
  int rowLimit_ = kRowLimit;
  std::unique_ptr<TabReport> report_ = std::make_unique<HtmlReport>(options_);
  double* keysOut_ = nullptr;
  double* valuesOut_ = nullptr;
};

// The comma-separated names of a list, empty items dropped, in order.
std::vector<std::string> splitVariableList(const std::string& list);

}  // namespace tessary
