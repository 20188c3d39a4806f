#include "regression/design_matrix.h"

#include <algorithm>

#include "data/record_bitmap.h"
#include "regression/regression_data.h"

namespace tessary {

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
}

int DesignPlan::variableIndex(const std::string& name) {
  // A variable behind several columns (the dummies of one categorical) is read once.
  auto at = std::find(variables_.begin(), variables_.end(), name);
  if (at == variables_.end()) at = variables_.insert(variables_.end(), name);
  return static_cast<int>(at - variables_.begin());
}

DesignReader::DesignReader(RegressionData& data, const DesignPlan& plan, const std::uint8_t* mask,
                           const double* yhat)
    : data_(data), plan_(plan), mask_(mask), yhat_(yhat) {}

void DesignReader::readRows(const std::string& name, std::int64_t fromRec, std::int64_t toRec,
                            double* rows) {
  if (mask_ == nullptr) {
    data_.read(name, fromRec, toRec, rows);
    return;
  }
  data_.read(name, fromRec, toRec, raw_.data());
  for (std::size_t r = 0; r < included_.size(); ++r)
    rows[r] = raw_[included_[r]];
}

void DesignReader::fillColumn(const DesignPlan::Column& column, std::size_t rows,
                              double* out) const {
  if (column.ones) {
    std::fill_n(out, rows, 1.0);
    return;
  }
  const double* factor =
      column.yhatPower == 0 ? nullptr : powers_.data() + (column.yhatPower - 1) * blockRows_;
  const double* values =
      column.variable < 0 ? nullptr : values_.data() + column.variable * blockRows_;
  if (values == nullptr) {
    std::copy_n(factor, rows, out);
  } else if (column.dummy) {
    const double code = column.code;
    for (std::size_t r = 0; r < rows; ++r)
      out[r] = values[r] == code ? 1.0 : 0.0;
    if (factor != nullptr)
      for (std::size_t r = 0; r < rows; ++r)
        out[r] *= factor[r];
  } else if (factor != nullptr) {
    for (std::size_t r = 0; r < rows; ++r)
      out[r] = values[r] * factor[r];
  } else {
    std::copy_n(values, rows, out);
  }
}

std::size_t DesignReader::fill(std::int64_t fromRec, std::int64_t toRec, double* out,
                               std::size_t ld) {
  const auto records = static_cast<std::size_t>(toRec - fromRec + 1);
  if (records > blockRows_) {
    blockRows_ = records;
    raw_.resize(records);
    values_.resize(records * std::max<std::size_t>(plan_.variables_.size(), 1));
    powers_.resize(2 * records);
  }
  std::size_t rows = records;
  if (mask_ != nullptr) {
    included_.clear();
    for (std::int64_t record = fromRec; record <= toRec; ++record)
      if (!isHole(mask_, static_cast<std::uint64_t>(record)))
        included_.push_back(static_cast<std::uint32_t>(record - fromRec));
    rows = included_.size();
  }
  for (std::size_t v = 0; v < plan_.variables_.size(); ++v)
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
  for (std::size_t c = 0; c < plan_.columns_.size(); ++c)
    fillColumn(plan_.columns_[c], rows, out + c * ld);
  rowsDone_ += rows;
  return rows;
}

}  // namespace tessary
