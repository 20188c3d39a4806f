#include "regression/design_matrix.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "data/record_bitmap.h"
#include "regression/regression_data.h"

namespace tessary {

namespace {

// Two rows at a time in one vector register: plain loops are not vectorised at the
// library's optimisation level, and these run over every cell of the design.
using Pair = double __attribute__((vector_size(16)));
using PairMask = std::int64_t __attribute__((vector_size(16)));

inline Pair load(const double* at) {
  Pair pair;
  std::memcpy(&pair, at, sizeof pair);
  return pair;
}
inline void store(double* at, Pair pair) {
  std::memcpy(at, &pair, sizeof pair);
}

// out[r] *= scale[r].
void scaleRows(double* out, const double* scale, std::size_t rows) {
  std::size_t r = 0;
  for (; r + 2 <= rows; r += 2)
    store(out + r, load(out + r) * load(scale + r));
  for (; r < rows; ++r)
    out[r] *= scale[r];
}

// out[r] = scale[r] where values[r] equals code, else 0.
void indicatorRows(double* out, const double* values, double code, const double* scale,
                   std::size_t rows) {
  const Pair codes = {code, code};
  std::size_t r = 0;
  for (; r + 2 <= rows; r += 2) {
    const PairMask equal = load(values + r) == codes;
    store(out + r, reinterpret_cast<Pair>(reinterpret_cast<PairMask>(load(scale + r)) & equal));
  }
  for (; r < rows; ++r)
    out[r] = values[r] == code ? scale[r] : 0.0;
}

}  // namespace

DesignPlan::DesignPlan(const std::vector<Regressor>& regressors,
                       std::span<const std::int32_t> order, const std::string& dependent) {
  if (!order.empty()) columns_.push_back(Column{.ones = true});
  for (std::size_t c = 1; c < order.size(); ++c) {
    const ColumnRecipe recipe = recipeOf(regressors.at(static_cast<std::size_t>(order[c])));
    Column column{.yhatPower = recipe.yhatPower, .dummy = recipe.dummy, .code = recipe.code};
    if (!recipe.variable.empty()) column.variable = variableIndex(recipe.variable);
    needsYhat_ = needsYhat_ || recipe.yhatPower > 0;
    columns_.push_back(column);
  }
  if (!dependent.empty()) columns_.push_back(Column{.variable = variableIndex(dependent)});
  // A variable that is one column's plain values goes straight into that column; any
  // other (the source of dummies or products) is read once for all its columns.
  std::vector<int> uses(variables_.size(), 0);
  for (const Column& column : columns_)
    if (column.variable >= 0) ++uses[static_cast<std::size_t>(column.variable)];
  shared_.assign(variables_.size(), false);
  for (Column& column : columns_) {
    if (column.variable < 0) continue;
    const auto v = static_cast<std::size_t>(column.variable);
    column.direct = uses[v] == 1 && !column.dummy && column.yhatPower == 0;
    if (!column.direct) shared_[v] = true;
  }
}

int DesignPlan::variableIndex(const std::string& name) {
  auto at = std::find(variables_.begin(), variables_.end(), name);
  if (at == variables_.end()) at = variables_.insert(variables_.end(), name);
  return static_cast<int>(at - variables_.begin());
}

// One block being filled: its records, its rows and its buffers, laid over a scratch of
// scratchSize(records) doubles.
struct DesignReader::Block {
  std::int64_t fromRec = 0, toRec = 0;
  std::size_t firstRow = 0;
  std::size_t records = 0;  // also the length of each buffer below
  std::size_t rows = 0;
  bool dense = true;                    // every record of the block is a row
  std::vector<std::uint32_t> included;  // offsets of the block's rows among its records
  double* raw = nullptr;
  double* values = nullptr;  // one block of rows per shared variable
  double* powers = nullptr;  // the predicted value and its square
  double* scale = nullptr;   // the rows' factors: roots of the weights, or 1
};

DesignReader::DesignReader(RegressionData& data, const DesignPlan& plan, const std::uint8_t* mask,
                           const double* yhat)
    : data_(data), plan_(plan), mask_(mask), yhat_(yhat) {}

std::size_t DesignReader::scratchSize(std::size_t records) const {
  return records * (4 + std::max<std::size_t>(plan_.variables_.size(), 1));
}

void DesignReader::readRows(const std::string& name, const Block& block, double* rows) const {
  double* target = block.dense ? rows : block.raw;
  {
    std::unique_lock<std::mutex> turn;
    if (readLock_ != nullptr) turn = std::unique_lock<std::mutex>(*readLock_);
    data_.read(name, block.fromRec, block.toRec, target);
  }
  if (block.dense) return;
  for (std::size_t r = 0; r < block.rows; ++r)
    rows[r] = block.raw[block.included[r]];
}

DesignReader::Block DesignReader::startBlock(std::int64_t fromRec, std::int64_t toRec,
                                             std::size_t firstRow, double* scratch) const {
  Block block;
  block.fromRec = fromRec;
  block.toRec = toRec;
  block.firstRow = firstRow;
  block.records = static_cast<std::size_t>(toRec - fromRec + 1);
  block.raw = scratch;
  block.values = block.raw + block.records;
  block.powers = block.values + block.records * std::max<std::size_t>(plan_.variables_.size(), 1);
  block.scale = block.powers + 2 * block.records;
  block.rows = block.records;
  if (mask_ != nullptr) {
    block.included.reserve(block.records);
    for (std::int64_t record = fromRec; record <= toRec; ++record)
      if (!isHole(mask_, static_cast<std::uint64_t>(record)))
        block.included.push_back(static_cast<std::uint32_t>(record - fromRec));
    block.rows = block.included.size();
    block.dense = block.rows == block.records;
  }
  for (std::size_t r = 0; r < block.rows; ++r)
    block.scale[r] = rootsOf_ == nullptr ? 1.0 : std::sqrt(rootsOf_[firstRow + r]);
  return block;
}

// Every column is the product of up to three factors, each row also multiplied by its
// scale (1.0 multiplies exactly, so unscaled columns are the plain values).
void DesignReader::fillColumn(const DesignPlan::Column& column, const Block& block,
                              double* out) const {
  const std::size_t rows = block.rows;
  const double* scale = block.scale;
  const double* factor =
      column.yhatPower == 0 ? nullptr : block.powers + (column.yhatPower - 1) * block.records;
  const double* values =
      column.variable < 0 ? nullptr : block.values + column.variable * block.records;
  if (column.ones) {
    std::copy_n(scale, rows, out);
  } else if (column.direct) {
    if (rootsOf_ != nullptr) scaleRows(out, scale, rows);
  } else if (values == nullptr) {
    for (std::size_t r = 0; r < rows; ++r)
      out[r] = factor[r] * scale[r];
  } else if (column.dummy) {
    indicatorRows(out, values, column.code, scale, rows);
    if (factor != nullptr) scaleRows(out, factor, rows);
  } else if (factor != nullptr) {
    for (std::size_t r = 0; r < rows; ++r)
      out[r] = values[r] * factor[r] * scale[r];
  } else {
    std::copy_n(values, rows, out);
    scaleRows(out, scale, rows);
  }
}

std::size_t DesignReader::fill(std::int64_t fromRec, std::int64_t toRec, std::size_t firstRow,
                               double* out, std::size_t ld, double* scratch) const {
  const Block block = startBlock(fromRec, toRec, firstRow, scratch);
  for (std::size_t v = 0; v < plan_.variables_.size(); ++v)
    if (plan_.shared_[v]) readRows(plan_.variables_[v], block, block.values + v * block.records);
  if (plan_.needsYhat_) {
    double* yhat = block.powers;
    if (yhat_ != nullptr)
      std::copy_n(yhat_ + firstRow, block.rows, yhat);
    else
      readRows(kYhatName, block, yhat);
    for (std::size_t r = 0; r < block.rows; ++r)
      block.powers[block.records + r] = yhat[r] * yhat[r];
  }
  for (std::size_t c = 0; c < plan_.columns_.size(); ++c) {
    const DesignPlan::Column& column = plan_.columns_[c];
    if (column.direct)
      readRows(plan_.variables_[static_cast<std::size_t>(column.variable)], block, out + c * ld);
    fillColumn(column, block, out + c * ld);
  }
  return block.rows;
}

std::size_t DesignReader::fill(std::int64_t fromRec, std::int64_t toRec, double* out,
                               std::size_t ld) {
  scratch_.resize(scratchSize(static_cast<std::size_t>(toRec - fromRec + 1)));
  const std::size_t rows = fill(fromRec, toRec, rowsDone_, out, ld, scratch_.data());
  rowsDone_ += rows;
  return rows;
}

}  // namespace tessary
