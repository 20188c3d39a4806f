#include "tab/xtab.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "frame/failure.h"
#include "frame/number_format.h"
#include "frame/trace.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "tab/shifted_id_summary.h"
#include "tab/table_dimension.h"

namespace tessary {
std::vector<std::string> splitVariableList(const std::string& list) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    if (comma > start) names.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return names;
}

void XTab::setup(int mode, std::string filter, std::string weight, std::string list,
                 std::string rowFormula, std::string colFormula, const std::uint8_t* options) {
  mode_ = mode;
  filter_ = std::move(filter);
  weight_ = std::move(weight);
  rowFormula_ = std::move(rowFormula);
  colFormula_ = std::move(colFormula);
  if (mode_ == 0)
    variables_ = splitVariableList(list);
  else
    analysis_ = std::move(list);
  const TabOptions previous = options_;
  options_ = TabOptions(options);
  options_.policy = previous.policy;
  options_.hideEmptyRows = previous.hideEmptyRows;
  options_.restrictForMode(mode_);
  report_ = std::make_unique<HtmlReport>(options_);
}

void XTab::setPresentation(TabPolicy policy, bool hideEmptyRows) {
  options_.policy = policy;
  options_.hideEmptyRows = hideEmptyRows;
  report_ = std::make_unique<HtmlReport>(options_);
}

void XTab::summarizeVariables(RecordSelection& selection) {
  ColumnBuffer<double> values;
  const double* weights = selection.weights().data();
  for (const std::string& name : variables_) {
    LabelMap labels;
    const char kind = selection.read(name, values, labels);
    if (kind != 'C') {
      CellAccumulator cell;
      for (std::size_t k = 0; k < values.size(); ++k)
        cell.add(values[k], weights[k]);
      report_->numericalSection(name, cell);
      continue;
    }
    std::vector<Category> categories;
    const int result =
        categorizeColumn({values.data(), values.size()}, labels, weights, false, 1, categories);
    throwUnless(result >= 0, categorizeFailureText(result));
    double count = 0, weight = 0;
    for (const Category& c : categories)
      count += static_cast<double>(c.count), weight += c.weightTotal;
    std::vector<FrequencyRow> rows;
    for (const Category& c : categories)
      rows.push_back({c.label, static_cast<double>(c.count), c.weightTotal,
                      static_cast<double>(c.count) * 100 / count, c.weightTotal * 100 / weight});
    report_->categoricalSection(name, rows);
  }
}

CrossTable XTab::tabulate(RecordSelection& selection) {
  const bool twoWay = mode_ >= 2;
  ColumnBuffer<double> analysis, rows, columns;
  LabelMap analysisLabels, rowLabels, columnLabels;
  if (analysis_.empty()) {
    analysis.resize(selection.count());
    std::fill(analysis.begin(), analysis.end(), 1.0);
  } else {
    selection.evaluate(analysis_, analysis, analysisLabels);
  }
  trace() << "Row formula=" << rowFormula_ << '\n';
  selection.evaluate(rowFormula_, rows, rowLabels);
  if (twoWay) {
    trace() << "Col formula=" << colFormula_ << '\n';
    selection.evaluate(colFormula_, columns, columnLabels);
  }
  TableDimension rowDimension, columnDimension;
  rowDimension.form(rows.data(), rows.size(), rowLabels, rowLimit_);
  throwUnless(rowDimension.size() > 0, "No value on Row:" + rowFormula_);
  if (twoWay) {
    columnDimension.form(columns.data(), columns.size(), columnLabels, kColumnLimit);
    throwUnless(columnDimension.size() > 0, "No value on Col:" + colFormula_);
  }
  trace() << "the number of groups : " << rowDimension.size() << '\n';
  CrossTable table = crossTabulate({{analysis.data(), analysis.size()},
                                    {selection.weights().data(), selection.count()},
                                    {rows.data(), rows.size()},
                                    {columns.data(), twoWay ? columns.size() : 0}},
                                   rowDimension, twoWay ? &columnDimension : nullptr);
  trace() << "=======nRows:" << table.rows.size() << " Min Value:" << rowDimension.lowest()
          << " Max Value:" << rowDimension.highest() << " nObs:" << selection.count() << '\n';
  return table;
}

std::int32_t XTab::summarizeByIdentifier() {
  int statistic = 0;
  for (int b = 1; b <= 14 && statistic == 0; ++b)
    if (options_.byte(b) != 0) statistic = b;
  return summarizeByShiftedId(
      data_, {filter_, weight_, analysis_, rowFormula_, std::atoi(colFormula_.c_str()), statistic},
      keysOut_, valuesOut_);
}

std::int32_t XTab::generate() {
  if (mode_ == 4) return summarizeByIdentifier();
  RecordSelection selection(data_, filter_, weight_);
  if (options_.pageHead()) report_->pageHead("Tabulation of " + baseNameOf(data_.path()));
  report_->selection(filter_, weight_);
  if (mode_ == 0) {
    summarizeVariables(selection);
  } else {
    const CrossTable table = tabulate(selection);
    report_->strayRecords(table);
    if (mode_ >= 2)
      report_->twoWayTable(rowFormula_, colFormula_, table);
    else
      report_->oneWayTable(rowFormula_, table);
  }
  report_->save();
  return 0;
}

}  // namespace tessary
