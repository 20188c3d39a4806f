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

DesignReader::DesignReader(RegressionData& data, const DesignPlan& plan, const std::uint8_t* mask,
                           const double* yhat)
    : data_(data), plan_(plan), mask_(mask), yhat_(yhat) {}

void DesignReader::readRows(const std::string& name, std::int64_t fromRec, std::int64_t toRec,
                            double* rows) {
  if (dense_) {
    data_.read(name, fromRec, toRec, rows);
    return;
  }
  data_.read(name, fromRec, toRec, raw_.data());
  for (std::size_t r = 0; r < included_.size(); ++r)
    rows[r] = raw_[included_[r]];
}

std::size_t DesignReader::startBlock(std::int64_t fromRec, std::int64_t toRec) {
  const auto records = static_cast<std::size_t>(toRec - fromRec + 1);
  if (records > blockRows_) {
    blockRows_ = records;
    raw_.resize(records);
    values_.resize(records * std::max<std::size_t>(plan_.variables_.size(), 1));
    powers_.resize(2 * records);
    scale_.resize(records);
  }
  std::size_t rows = records;
  dense_ = true;
  if (mask_ != nullptr) {
    included_.clear();
    for (std::int64_t record = fromRec; record <= toRec; ++record)
      if (!isHole(mask_, static_cast<std::uint64_t>(record)))
        included_.push_back(static_cast<std::uint32_t>(record - fromRec));
    rows = included_.size();
    dense_ = rows == records;
  }
  for (std::size_t r = 0; r < rows; ++r)
    scale_[r] = rootsOf_ == nullptr ? 1.0 : std::sqrt(rootsOf_[rowsDone_ + r]);
  return rows;
}

// Every column is the product of up to three factors, each row also multiplied by its
// scale (1.0 multiplies exactly, so unscaled columns are the plain values).
void DesignReader::fillColumn(const DesignPlan::Column& column, std::size_t rows,
                              double* out) const {
  const double* scale = scale_.data();
  const double* factor =
      column.yhatPower == 0 ? nullptr : powers_.data() + (column.yhatPower - 1) * blockRows_;
  const double* values =
      column.variable < 0 ? nullptr : values_.data() + column.variable * blockRows_;
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

std::size_t DesignReader::fill(std::int64_t fromRec, std::int64_t toRec, double* out,
                               std::size_t ld) {
  const std::size_t rows = startBlock(fromRec, toRec);
  for (std::size_t v = 0; v < plan_.variables_.size(); ++v)
    if (plan_.shared_[v])
      readRows(plan_.variables_[v], fromRec, toRec, values_.data() + v * blockRows_);
  if (plan_.needsYhat_) {
    double* yhat = powers_.data();
    if (yhat_ != nullptr)
      std::copy_n(yhat_ + rowsDone_, rows, yhat);
    else
      readRows(kYhatName, fromRec, toRec, yhat);
    for (std::size_t r = 0; r < rows; ++r)
      powers_[blockRows_ + r] = yhat[r] * yhat[r];
  }
  for (std::size_t c = 0; c < plan_.columns_.size(); ++c) {
    const DesignPlan::Column& column = plan_.columns_[c];
    if (column.direct)
      readRows(plan_.variables_[static_cast<std::size_t>(column.variable)], fromRec, toRec,
               out + c * ld);
    fillColumn(column, rows, out + c * ld);
  }
  rowsDone_ += rows;
  return rows;
}

}  // namespace tessary
