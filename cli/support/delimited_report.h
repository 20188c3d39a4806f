// Tabulations as delimited text (CSV or TSV) for spreadsheets and scripts: each section
// is a header line and its rows, sections separated by a blank line. A variable's
// summary is one row of its statistics; a frequency table has a row per category; a
// one-way table a row per row category; a two-way table a row per cell with records.
// The filter and weight lines of the page, and the records outside every category,
// have no place in it.
#pragma once

#include <string>

#include "tab/tab_options.h"
#include "tab/tab_report.h"

namespace tessary::cli {

class DelimitedReport final : public tessary::TabReport {
 public:
  DelimitedReport(const TabOptions& options, char separator)
      : options_(options), separator_(separator) {}

  void pageHead(std::string_view) override {}
  void selection(std::string_view, std::string_view) override {}
  void categoricalSection(std::string_view name, const std::vector<FrequencyRow>& rows) override;
  void numericalSection(std::string_view name, const CellAccumulator& cell) override;
  void strayRecords(const CrossTable&) override {}
  void oneWayTable(std::string_view rowFormula, const CrossTable& table) override;
  void twoWayTable(std::string_view rowFormula, std::string_view colFormula,
                   const CrossTable& table) override;
  void save() const override {}
  const std::string& text() const override { return text_; }

 private:
  void startSection();
  void line(const std::vector<std::string>& fields);
  // The headings given, then the names of the statistics shown.
  void headerLine(std::vector<std::string> headings);
  std::vector<std::string> values(const CellAccumulator& cell, const PercentBases& bases) const;

  TabOptions options_;
  char separator_;
  std::string text_;
};

}  // namespace tessary::cli
