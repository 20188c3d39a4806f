#include "tab/cross_table.h"

#include <cmath>

namespace tessary {

void CrossTable::allocate() {
  cells.assign(rows.size() * columnCount(), CellAccumulator{});
  rowWeight.assign(rows.size(), 0.0);
  columnWeight.assign(columnCount(), 0.0);
  totalWeight = 0;
}

void CrossTable::add(std::size_t r, std::size_t c, double x, double w) {
  cell(r, c).add(x, w);
  rowWeight[r] += w;
  columnWeight[c] += w;
  totalWeight += w;
}

CrossTable crossTabulate(const TableColumns& values, const TableDimension& rows,
                         const TableDimension* columns) {
  CrossTable table;
  table.rows = rows.headings();
  if (columns != nullptr) table.columns = columns->headings();
  table.allocate();
  const auto rowCount = static_cast<long long>(table.rows.size());
  const auto columnCount = static_cast<long long>(table.columnCount());
  for (std::size_t k = 0; k < values.analysis.size(); ++k) {
    const double x = values.analysis[k], w = values.weights[k], r = values.rows[k];
    const double c = columns != nullptr ? values.columns[k] : 0.0;
    if (!std::isfinite(x) || !std::isfinite(w) || !std::isfinite(r) || !std::isfinite(c)) continue;
    const long long i = rows.indexOf(r);
    if (i < 0 || i >= rowCount) {
      table.strays.push_back({k, i, r, false});
      continue;
    }
    const long long j = columns != nullptr ? columns->indexOf(c) : 0;
    if (j < 0 || j >= columnCount) {
      table.strays.push_back({k, j, c, true});
      continue;
    }
    table.add(static_cast<std::size_t>(i), static_cast<std::size_t>(j), x, w);
  }
  return table;
}

}  // namespace tessary
