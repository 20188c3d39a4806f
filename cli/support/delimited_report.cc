#include "support/delimited_report.h"

#include "frame/number_format.h"
#include "support/csv_export.h"

namespace tessary::cli {
namespace {

// Percentages are written with two decimals in a field of 7: a spreadsheet wants none of
// the padding.
std::string trimmed(std::string text) {
  text.erase(0, text.find_first_not_of(' '));
  return text;
}

}  // namespace

void DelimitedReport::startSection() {
  if (!text_.empty()) text_ += '\n';
}

void DelimitedReport::line(const std::vector<std::string>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) text_ += separator_;
    text_ += csvField(fields[i]);
  }
  text_ += '\n';
}

void DelimitedReport::headerLine(std::vector<std::string> headings) {
  for (TabStatistic statistic : options_.enabledStatistics())
    headings.emplace_back(statisticName(statistic));
  line(headings);
}

std::vector<std::string> DelimitedReport::values(const CellAccumulator& cell,
                                                 const PercentBases& bases) const {
  std::vector<std::string> out;
  for (TabStatistic statistic : options_.enabledStatistics())
    out.push_back(trimmed(statisticText(cell, statistic, bases, options_.policy)));
  return out;
}

void DelimitedReport::categoricalSection(std::string_view name,
                                         const std::vector<FrequencyRow>& rows) {
  startSection();
  line({std::string(name), "Count", "Weighted Count", "%", "Weighted %"});
  const TabPolicy policy = options_.policy;
  for (const FrequencyRow& row : rows)
    line({row.label, formatGeneral(row.count), frequencyText(row.weightedCount, policy),
          trimmed(frequencyPercentText(row.percent, policy)),
          trimmed(frequencyPercentText(row.weightedPercent, policy))});
}

void DelimitedReport::numericalSection(std::string_view name, const CellAccumulator& cell) {
  startSection();
  headerLine({"Variable"});
  std::vector<std::string> fields{std::string(name)};
  for (std::string& value : values(cell, PercentBases{}))
    fields.push_back(std::move(value));
  line(fields);
}

void DelimitedReport::oneWayTable(std::string_view rowFormula, const CrossTable& table) {
  startSection();
  headerLine({std::string(rowFormula)});
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    if (options_.hideEmptyRows && table.rowIsEmpty(r)) continue;
    std::vector<std::string> fields{headingText(table.rows[r])};
    for (std::string& value : values(table.cell(r, 0), table.bases(r, 0)))
      fields.push_back(std::move(value));
    line(fields);
  }
}

void DelimitedReport::twoWayTable(std::string_view rowFormula, std::string_view colFormula,
                                  const CrossTable& table) {
  startSection();
  headerLine({std::string(rowFormula), std::string(colFormula)});
  for (std::size_t r = 0; r < table.rows.size(); ++r)
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      if (table.cell(r, c).count == 0) continue;
      std::vector<std::string> fields{headingText(table.rows[r]), headingText(table.columns[c])};
      for (std::string& value : values(table.cell(r, c), table.bases(r, c)))
        fields.push_back(std::move(value));
      line(fields);
    }
}

}  // namespace tessary::cli
