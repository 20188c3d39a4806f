// The numbers of a one-way or two-way table, apart from how they are written: the
// categories of each dimension, one accumulator per cell, the row, column and table
// weights, and the records whose row or column value fell outside every category.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "tab/cell_accumulator.h"
#include "tab/table_dimension.h"

namespace tessary {

// A record whose category index lies outside its dimension.
struct StrayRecord {
  std::size_t record;  // 0-based among the tabulated records
  long long index;     // the index it computed
  double value;        // its row (or column) value as the dimension holds it
  bool column;         // the column value strayed, not the row value
};

struct CrossTable {
  std::vector<CategoryHeading> rows;
  std::vector<CategoryHeading> columns;  // empty for a one-way table
  std::vector<CellAccumulator> cells;    // row by row
  std::vector<double> rowWeight;
  std::vector<double> columnWeight;
  double totalWeight = 0;
  std::vector<StrayRecord> strays;

  // Sizes the accumulators and totals for the headings, all empty.
  void allocate();
  std::size_t columnCount() const { return columns.empty() ? 1 : columns.size(); }
  CellAccumulator& cell(std::size_t r, std::size_t c) { return cells[r * columnCount() + c]; }
  const CellAccumulator& cell(std::size_t r, std::size_t c) const {
    return cells[r * columnCount() + c];
  }
  // Adds one record to cell (r, c) and its weight to the row, column and table weights.
  void add(std::size_t r, std::size_t c, double x, double w);
  // The totals the percentages of cell (r, c) divide by.
  PercentBases bases(std::size_t r, std::size_t c) const {
    return {rowWeight[r], columnWeight[c], totalWeight};
  }
  // True when no record fell into row r.
  bool rowIsEmpty(std::size_t r) const;
  // Adds the records of a table of the same headings that follow this one's.
  void merge(const CrossTable& later);
};

// The columns a table is formed from, one value per record: the analysis value and
// weight, and the row and column values as their dimensions hold them
// (TableDimension::form); `columns` is empty for a one-way table.
struct TableColumns {
  std::span<const double> analysis;
  std::span<const double> weights;
  std::span<const double> rows;
  std::span<const double> columns;
};

// Adds every record whose values are all finite to the cell its row and column values
// name, and its weight to the row, column and table weights; a record outside the
// categories adds nothing and is listed among the strays. Fixed blocks of records are
// tabulated in parallel and their tables merged in block order, so the result is the
// same for any number of threads.
CrossTable crossTabulate(const TableColumns& values, const TableDimension& rows,
                         const TableDimension* columns);

}  // namespace tessary
