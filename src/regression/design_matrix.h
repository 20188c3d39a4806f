// Design matrices read from the data a block of records at a time: the intercept, the
// regressors formed by their recipes (variables, dummies, powers of the predicted
// value and their products) and optionally the dependent variable as the last column.
// Rows are the included records (those whose mask bit is clear) in record order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/column_memory.h"
#include "regression/regressor.h"

namespace tessary {

class RegressionData;

// Records read per block: a block of 60 columns stays within a few megabytes.
inline constexpr std::int64_t kDesignBlockRecords = 8192;

class DesignPlan {
 public:
  // Column 0 is the intercept; column c (1 <= c < order.size()) is the regressor
  // order[c]; when `dependent` is not empty it is the last column.
  DesignPlan(const std::vector<Regressor>& regressors, std::span<const std::int32_t> order,
             const std::string& dependent);

  std::size_t columnCount() const { return columns_.size(); }
  bool needsYhat() const { return needsYhat_; }

 private:
  friend class DesignReader;
  struct Column {
    bool ones = false;
    int yhatPower = 0;
    int variable = -1;  // index into variables_, -1 for none
    bool dummy = false;
    std::int32_t code = 0;
    bool direct = false;  // the variable alone, read straight into its column
  };
  int variableIndex(const std::string& name);

  std::vector<std::string> variables_;
  std::vector<bool> shared_;  // read into a block of values that several columns use
  std::vector<Column> columns_;
  bool needsYhat_ = false;
};

class DesignReader {
 public:
  // `mask` (null: every record is a row) marks the excluded records. `yhat`, when
  // given, holds the predicted value of every row in row order; otherwise a plan that
  // needs it reads the variable "_yhat_".
  DesignReader(RegressionData& data, const DesignPlan& plan, const std::uint8_t* mask,
               const double* yhat = nullptr);

  // From now on every row is multiplied by the square root of its weight (weights[i]
  // for the i-th row), so that A'A of the rows is X'WX. REQUIRES: weights >= 0.
  void scaleByRootsOf(const double* weights) { rootsOf_ = weights; }

  // Fills the rows of records fromRec..toRec: column c of row r at out[c*ld + r].
  // Blocks must come in record order. Returns the number of rows.
  std::size_t fill(std::int64_t fromRec, std::int64_t toRec, double* out, std::size_t ld);

 private:
  // Sizes the buffers and finds the block's rows and their factors.
  std::size_t startBlock(std::int64_t fromRec, std::int64_t toRec);
  // Reads a variable's block and keeps the rows.
  void readRows(const std::string& name, std::int64_t fromRec, std::int64_t toRec, double* rows);
  void fillColumn(const DesignPlan::Column& column, std::size_t rows, double* out) const;

  RegressionData& data_;
  const DesignPlan& plan_;
  const std::uint8_t* mask_;
  const double* yhat_;
  const double* rootsOf_ = nullptr;
  std::size_t rowsDone_ = 0;
  std::size_t blockRows_ = 0;            // capacity of each block below
  bool dense_ = true;                    // every record of the block is a row
  std::vector<std::uint32_t> included_;  // offsets of the block's rows among its records
  ColumnBuffer<double> raw_;
  ColumnBuffer<double> values_;  // one block of rows per shared variable
  ColumnBuffer<double> powers_;  // the predicted value and its square
  ColumnBuffer<double> scale_;   // the rows' factors: roots of the weights, or 1
};

// Calls work(fromRec, toRec) for consecutive blocks covering records 1..records.
template <class Work>
void forEachRecordBlock(std::int64_t records, Work&& work) {
  for (std::int64_t from = 1; from <= records; from += kDesignBlockRecords)
    work(from, std::min(records, from + kDesignBlockRecords - 1));
}

}  // namespace tessary
