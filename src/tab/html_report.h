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
#include "tab/tab_report.h"

namespace tessary {

// Every text placed in a page, escaped for HTML ("&", "<", ">", '"', "'"); UTF-8
// passes through.
std::string escapeHtml(std::string_view text);

// Under TabPolicy::kExport the page is the export's, byte for byte: texts are placed
// as given (a host may pass markup) and the head has neither character set nor title.
// Under kExact every text is escaped, the head declares UTF-8 and the title after
// "<head>\n", and every percentage has two decimals.
class HtmlReport final : public TabReport {
 public:
  explicit HtmlReport(const TabOptions& options) : options_(options) {}

  void pageHead(std::string_view title) override;
  // "Record Filter: " and "Weighted By: " lines.
  void selection(std::string_view filter, std::string_view weight) override;
  void categoricalSection(std::string_view name, const std::vector<FrequencyRow>& rows) override;
  void numericalSection(std::string_view name, const CellAccumulator& cell) override;
  // The " ****** Error" lines of the records outside every category.
  void strayRecords(const CrossTable& table) override;
  void oneWayTable(std::string_view rowFormula, const CrossTable& table) override;
  void twoWayTable(std::string_view rowFormula, std::string_view colFormula,
                   const CrossTable& table) override;

  const std::string& html() const { return html_; }
  const std::string& text() const override { return html_; }
  // The output file's path.
  static std::string outputPath();
  // Replaces the file by the report when the options ask for the page head, else by
  // its old content and the report; throws, leaving the file as it was, when the file
  // cannot be written.
  void save() const override;

 private:
  bool exact() const { return options_.policy == TabPolicy::kExact; }
  // A text as the policy places it.
  std::string placed(std::string_view text) const;
  // False for a row without records when empty rows are hidden.
  bool shown(const CrossTable& table, std::size_t r) const;
  void statisticNames(std::string_view open, std::string_view close);
  void statisticValues(const CellAccumulator& cell, const PercentBases& bases,
                       std::string_view open, std::string_view close);
  void twoWayRow(const CrossTable& table, std::size_t r);
  void twoWayRowPerStatistic(const CrossTable& table, std::size_t r);

  TabOptions options_;
  std::string html_;
};

}  // namespace tessary
