// The HTML text of a tabulation, written to "EvalResult.tbl" in the temporary
// directory. The text is built in memory and saved at the end, so a tabulation that
// fails part way leaves the file as it was.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tab/cell_accumulator.h"
#include "tab/cross_table.h"
#include "tab/tab_options.h"

namespace tessary {

// One row of a categorical variable's frequency table.
struct FrequencyRow {
  std::string label;
  double count = 0;
  double weightedCount = 0;
  double percent = 0;
  double weightedPercent = 0;
};

class HtmlReport {
 public:
  explicit HtmlReport(const TabOptions& options) : options_(options) {}

  void pageHead();
  // "Record Filter: " and "Weighted By: " lines.
  void selection(std::string_view filter, std::string_view weight);
  void categoricalSection(std::string_view name, const std::vector<FrequencyRow>& rows);
  void numericalSection(std::string_view name, const CellAccumulator& cell);
  // The " ****** Error" lines of the records outside every category.
  void strayRecords(const CrossTable& table);
  void oneWayTable(std::string_view rowFormula, const CrossTable& table);
  void twoWayTable(std::string_view rowFormula, std::string_view colFormula,
                   const CrossTable& table);

  const std::string& html() const { return html_; }
  // The output file's path.
  static std::string outputPath();
  // Replaces the file by the report when the options ask for the page head, else by
  // its old content and the report; throws, leaving the file as it was, when the file
  // cannot be written.
  void save() const;

 private:
  std::vector<TabStatistic> enabledStatistics() const;
  void statisticNames(std::string_view open, std::string_view close);
  void statisticValues(const CellAccumulator& cell, const PercentBases& bases,
                       std::string_view open, std::string_view close);
  void twoWayRow(const CrossTable& table, std::size_t r);
  void twoWayRowPerStatistic(const CrossTable& table, std::size_t r);

  TabOptions options_;
  std::string html_;
};

}  // namespace tessary
