// Design matrices read from the data a block of records at a time: the intercept, the
// regressors formed by their recipes (variables, dummies, powers of the predicted
// value and their products) and optionally the dependent variable as the last column.
// Rows are the included records (those whose mask bit is clear) in record order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <mutex>
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
  // From now on every read of the data holds `lock`: the data set's reader keeps state
  // between reads, so blocks filled on several threads take turns at it.
  void serializeReadsWith(std::mutex& lock) { readLock_ = &lock; }

  // Doubles of working memory a block of `records` records needs.
  std::size_t scratchSize(std::size_t records) const;

  // Fills the rows of records fromRec..toRec, the first of them being row `firstRow` of
  // the design (which picks their weights and predicted values): column c of row r at
  // out[c*ld + r]. `scratch` holds scratchSize(toRec - fromRec + 1) doubles. Returns the
  // number of rows. Blocks may be filled in any order, on several threads at once when
  // reads are serialized, each with its own scratch.
  std::size_t fill(std::int64_t fromRec, std::int64_t toRec, std::size_t firstRow, double* out,
                   std::size_t ld, double* scratch) const;
  // The same for blocks that come in record order, with the reader's own working memory.
  std::size_t fill(std::int64_t fromRec, std::int64_t toRec, double* out, std::size_t ld);

 private:
  struct Block;
  // Lays the block's buffers over the scratch and finds its rows and their factors.
  Block startBlock(std::int64_t fromRec, std::int64_t toRec, std::size_t firstRow,
                   double* scratch) const;
  // Reads a variable's block and keeps the rows.
  void readRows(const std::string& name, const Block& block, double* rows) const;
  void fillColumn(const DesignPlan::Column& column, const Block& block, double* out) const;

  RegressionData& data_;
  const DesignPlan& plan_;
  const std::uint8_t* mask_;
  const double* yhat_;
  const double* rootsOf_ = nullptr;
  std::mutex* readLock_ = nullptr;
  std::size_t rowsDone_ = 0;      // of the blocks filled in record order
  ColumnBuffer<double> scratch_;  // theirs
};

// Calls work(fromRec, toRec) for consecutive blocks covering records 1..records.
template <class Work>
void forEachRecordBlock(std::int64_t records, Work&& work) {
  for (std::int64_t from = 1; from <= records; from += kDesignBlockRecords)
    work(from, std::min(records, from + kDesignBlockRecords - 1));
}

}  // namespace tessary
