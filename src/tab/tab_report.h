// What a tabulation writes its results into: the HTML page of the export (HtmlReport)
// or another layout of the same sections, called in the order the tabulation makes
// them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tab/cell_accumulator.h"
#include "tab/cross_table.h"

namespace tessary {

// One row of a categorical variable's frequency table.
struct FrequencyRow {
  std::string label;
  double count = 0;
  double weightedCount = 0;
  double percent = 0;
  double weightedPercent = 0;
};

class TabReport {
 public:
  virtual ~TabReport() = default;

  // Only when the options ask for the page head; `title` names the page.
  virtual void pageHead(std::string_view title) = 0;
  // The record filter and the weight, before every section.
  virtual void selection(std::string_view filter, std::string_view weight) = 0;
  virtual void categoricalSection(std::string_view name, const std::vector<FrequencyRow>& rows) = 0;
  virtual void numericalSection(std::string_view name, const CellAccumulator& cell) = 0;
  // The records outside every category.
  virtual void strayRecords(const CrossTable& table) = 0;
  virtual void oneWayTable(std::string_view rowFormula, const CrossTable& table) = 0;
  virtual void twoWayTable(std::string_view rowFormula, std::string_view colFormula,
                           const CrossTable& table) = 0;
  // Called once the tabulation is complete.
  virtual void save() const = 0;
  // The text written so far.
  virtual const std::string& text() const = 0;
};

}  // namespace tessary
