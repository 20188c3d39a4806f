#include "tab/xtab.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "frame/failure.h"
#include "frame/number_format.h"
#include "frame/trace.h"
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
  options_ = TabOptions(options);
  options_.restrictForMode(mode_);
  report_ = HtmlReport(options_);
}

void XTab::selectRecords() {
  const std::size_t n = source_.recordCount();
  LabelMap ignored;
  weights_.resize(std::max(n, source_.bufferSize()));
  allSelected_ = filter_.empty();
  selectedCount_ = n;
  if (!allSelected_) {
    // The filter goes through the weight buffer, which is evaluated next.
    source_.evaluate(filter_, weights_.data(), ignored);
    selection_.resize((n + 63) / 64);
    std::fill(selection_.begin(), selection_.end(), 0);
    selectedCount_ = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const bool keep = weights_[i] == 1.0;
      selection_[i / 64] |= static_cast<std::uint64_t>(keep) << (i % 64);
      selectedCount_ += keep;
    }
  }
  if (weight_.empty()) {
    weights_.resize(selectedCount_);
    std::fill(weights_.begin(), weights_.end(), 1.0);
    return;
  }
  source_.evaluate(weight_, weights_.data(), ignored);
  keepSelected(weights_);
}

void XTab::keepSelected(ColumnBuffer<double>& column) const {
  if (!allSelected_) {
    // In place, a 64-record word at a time: the k-th selected record never lies
    // before position k.
    const std::size_t n = source_.recordCount();
    std::size_t k = 0;
    for (std::size_t word = 0; word * 64 < n; ++word) {
      const std::uint64_t bits = selection_[word];
      const std::size_t first = word * 64;
      const std::size_t count = std::min<std::size_t>(64, n - first);
      if (bits == 0) continue;
      if (bits == ~std::uint64_t{0}) {
        std::copy(column.data() + first, column.data() + first + count, column.data() + k);
        k += count;
        continue;
      }
      for (std::size_t b = 0; b < count; ++b) {
        column[k] = column[first + b];
        k += (bits >> b) & 1;
      }
    }
  }
  column.resize(selectedCount_);
}

void XTab::evaluateSelected(const std::string& expression, ColumnBuffer<double>& column,
                            LabelMap& labels) {
  column.resize(std::max(source_.recordCount(), source_.bufferSize()));
  source_.evaluate(expression, column.data(), labels);
  keepSelected(column);
}

void XTab::summarizeVariables() {
  ColumnBuffer<double> values;
  for (const std::string& name : variables_) {
    LabelMap labels;
    values.resize(std::max(source_.recordCount(), source_.bufferSize()));
    const char kind = source_.readVariable(name, values.data(), labels);
    keepSelected(values);
    if (kind != 'C') {
      CellAccumulator cell;
      for (std::size_t k = 0; k < values.size(); ++k)
        cell.add(values[k], weights_[k]);
      report_.numericalSection(name, cell);
      continue;
    }
    std::vector<Category> categories;
    const int result = categorizeColumn({values.data(), values.size()}, labels, weights_.data(),
                                        false, 1, categories);
    throwUnless(result >= 0, categorizeFailureText(result));
    double count = 0, weight = 0;
    for (const Category& c : categories)
      count += static_cast<double>(c.count), weight += c.weightTotal;
    std::vector<FrequencyRow> rows;
    for (const Category& c : categories)
      rows.push_back({c.label, static_cast<double>(c.count), c.weightTotal,
                      static_cast<double>(c.count) * 100 / count, c.weightTotal * 100 / weight});
    report_.categoricalSection(name, rows);
  }
}

void XTab::tabulate() {
  const bool twoWay = mode_ >= 2;
  ColumnBuffer<double> analysis, rows, columns;
  LabelMap analysisLabels, rowLabels, columnLabels;
  if (analysis_.empty()) {
    analysis.resize(selectedCount_);
    for (double& x : analysis)
      x = 1.0;
  } else {
    evaluateSelected(analysis_, analysis, analysisLabels);
  }
  trace() << "Row formula=" << rowFormula_ << '\n';
  evaluateSelected(rowFormula_, rows, rowLabels);
  if (twoWay) {
    trace() << "Col formula=" << colFormula_ << '\n';
    evaluateSelected(colFormula_, columns, columnLabels);
  }

  double rowMin = 0, rowMax = 0;
  bool anyRow = false;
  for (double r : rows) {
    if (!std::isfinite(r)) continue;
    rowMin = anyRow ? std::min(rowMin, r) : r;
    rowMax = anyRow ? std::max(rowMax, r) : r;
    anyRow = true;
  }

  TableDimension rowDimension, columnDimension;
  rowDimension.form(rows.data(), rows.size(), rowLabels, kRowLimit);
  throwUnless(rowDimension.size() > 0, "No value on Row:" + rowFormula_);
  if (twoWay) {
    columnDimension.form(columns.data(), columns.size(), columnLabels, kColumnLimit);
    throwUnless(columnDimension.size() > 0, "No value on Col:" + colFormula_);
  }
  trace() << "the number of groups : " << rowDimension.size() << '\n';

  CrossTable table;
  table.rows = rowDimension.headings();
  if (twoWay) table.columns = columnDimension.headings();
  table.allocate();
  const auto rowCount = static_cast<long long>(table.rows.size());
  const auto columnCount = static_cast<long long>(table.columnCount());
  for (std::size_t k = 0; k < selectedCount_; ++k) {
    const double x = analysis[k], w = weights_[k], r = rows[k];
    const double c = twoWay ? columns[k] : 0.0;
    if (!std::isfinite(x) || !std::isfinite(w) || !std::isfinite(r) || !std::isfinite(c)) continue;
    const long long i = rowDimension.indexOf(r);
    if (i < 0 || i >= rowCount) {
      report_.append(formatText(twoWay ? " ****** Error: k OUT---- i=%zu j=%lld rowBuf[i]="
                                       : " ****** Error: i=%zu j=%lld rowBuf[i]=",
                                k, i) +
                     formatGeneral(r) + "<br />\n");
      continue;
    }
    long long j = 0;
    if (twoWay) {
      j = columnDimension.indexOf(c);
      if (j < 0 || j >= columnCount) {
        report_.append(formatText(" ****** Error: j OUT---- i=%zu j=%lld colBuf[i]=", k, j) +
                       formatGeneral(c) + "<br />\n");
        continue;
      }
    }
    table.add(static_cast<std::size_t>(i), static_cast<std::size_t>(j), x, w);
  }
  trace() << "=======nRows:" << table.rows.size() << " Min Value:" << rowMin
          << " Max Value:" << rowMax << " nObs:" << selectedCount_ << '\n';
  if (twoWay)
    report_.twoWayTable(rowFormula_, colFormula_, table);
  else
    report_.oneWayTable(rowFormula_, table);
}

std::int32_t XTab::summarizeByIdentifier() {
  ColumnBuffer<double> analysis, identifiers;
  LabelMap ignored;
  evaluateSelected(analysis_, analysis, ignored);
  evaluateSelected(rowFormula_, identifiers, ignored);
  int statistic = 0;
  for (int b = 1; b <= 14 && statistic == 0; ++b)
    if (options_.byte(b) != 0) statistic = b;
  const int shift = std::atoi(colFormula_.c_str());
  throwUnless(keysOut_ != nullptr && valuesOut_ != nullptr,
              "XTab::generate(): no output arrays for the summary.");
  return summarizeByShiftedId(identifiers.data(), analysis.data(), weights_.data(), selectedCount_,
                              shift, statistic, keysOut_, valuesOut_);
}

std::int32_t XTab::generate() {
  source_.clearResultLabels();
  selectRecords();
  if (mode_ == 4) return summarizeByIdentifier();
  if (options_.pageHead()) report_.pageHead();
  report_.selection(filter_, weight_);
  if (mode_ == 0)
    summarizeVariables();
  else
    tabulate();
  report_.save();
  return 0;
}

}  // namespace tessary
