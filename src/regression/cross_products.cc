#include "regression/cross_products.h"

#include <algorithm>
#include <cmath>

#include "numeric/blas.h"

namespace tessary {
namespace {

// Rows gathered before one rank-k update: enough to run the update at matrix-product
// speed, few enough to stay in cache.
constexpr int kPendingRows = 512;

}  // namespace

WeightedGram::WeightedGram(int columns)
    : columns_(std::max(columns, 0)),
      sums_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(columns_), 0.0) {}

void WeightedGram::add(const double* row, double weight) {
  if (weight == 0.0) return;
  const int side = weight > 0.0 ? 0 : 1;
  std::vector<double>& rows = pending_[side];
  if (rows.empty()) rows.resize(static_cast<std::size_t>(columns_) * kPendingRows);
  const double root = std::sqrt(std::fabs(weight));
  double* out = rows.data() + static_cast<std::size_t>(pendingRows_[side]) * columns_;
  for (int c = 0; c < columns_; ++c)
    out[c] = root * row[c];
  if (++pendingRows_[side] == kPendingRows) flush();
}

void WeightedGram::flush() {
  for (int side = 0; side < 2; ++side) {
    blas::addOuterProducts(columns_, pendingRows_[side], pending_[side].data(), columns_,
                           sums_.data(), columns_, side == 0 ? 1.0 : -1.0);
    pendingRows_[side] = 0;
  }
}

void WeightedGram::absorb(WeightedGram& other) {
  other.flush();
  for (std::size_t i = 0; i < sums_.size(); ++i)
    sums_[i] += other.sums_[i];
}

Matrix WeightedGram::matrix() {
  flush();
  Matrix full(columns_, columns_);
  for (int j = 0; j < columns_; ++j)
    for (int i = 0; i <= j; ++i)
      full(i, j) = full(j, i) = sums_[static_cast<std::size_t>(j) * columns_ + i];
  return full;
}

Matrix sandwich(const Matrix& outer, const Matrix& middle) {
  const int k = outer.rows();
  // middle' outer = middle outer, then (middle outer)' outer = outer middle outer.
  Matrix half(k, k, 0.0);
  blas::addCrossProduct(k, k, middle.data(), outer.data(), k, half.data(), k);
  Matrix product(k, k, 0.0);
  blas::addCrossProduct(k, k, half.data(), outer.data(), k, product.data(), k);
  return product;
}

}  // namespace tessary
