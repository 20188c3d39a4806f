#include "tab/cross_table.h"

#include <algorithm>
#include <cmath>

#include "platform/parallel.h"

namespace tessary {
namespace {

// Records per block: a block's table costs its cells to allocate and merge, so blocks
// grow with the table; the size depends on the table alone, never on the threads.
std::size_t recordsPerBlock(std::size_t cells) {
  return std::max(kRecordsPerBlock, 8 * cells);
}

}  // namespace

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

bool CrossTable::rowIsEmpty(std::size_t r) const {
  for (std::size_t c = 0; c < columnCount(); ++c)
    if (cell(r, c).count != 0) return false;
  return true;
}

void CrossTable::merge(const CrossTable& later) {
  for (std::size_t k = 0; k < cells.size(); ++k)
    cells[k].merge(later.cells[k]);
  for (std::size_t r = 0; r < rowWeight.size(); ++r)
    rowWeight[r] += later.rowWeight[r];
  for (std::size_t c = 0; c < columnWeight.size(); ++c)
    columnWeight[c] += later.columnWeight[c];
  totalWeight += later.totalWeight;
  strays.insert(strays.end(), later.strays.begin(), later.strays.end());
}

namespace {

// The table of records [begin, end).
void tabulateRange(CrossTable& table, const TableColumns& values, const TableDimension& rows,
                   const TableDimension* columns, std::size_t begin, std::size_t end) {
  const auto rowCount = static_cast<long long>(table.rows.size());
  const auto columnCount = static_cast<long long>(table.columnCount());
  for (std::size_t k = begin; k < end; ++k) {
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
}

}  // namespace

CrossTable crossTabulate(const TableColumns& values, const TableDimension& rows,
                         const TableDimension* columns) {
  CrossTable empty;
  empty.rows = rows.headings();
  if (columns != nullptr) empty.columns = columns->headings();
  empty.allocate();
  const std::size_t blockSize = recordsPerBlock(empty.cells.size());
  return reduceBlocks(
      values.analysis.size(), blockSize, empty,
      [&](std::size_t begin, std::size_t end) {
        CrossTable part;
        part.rows = empty.rows;
        part.columns = empty.columns;
        part.allocate();
        tabulateRange(part, values, rows, columns, begin, end);
        return part;
      },
      [](CrossTable total, CrossTable part) {
        total.merge(part);
        return total;
      });
}

}  // namespace tessary
