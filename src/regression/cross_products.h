// Weighted sums of outer products, gathered into blocks of rows and added by symmetric
// rank-k updates, and the sandwich product of a covariance estimate.
#pragma once

#include <vector>

#include "numeric/matrix.h"

namespace tessary {

class WeightedGram {
 public:
  explicit WeightedGram(int columns);

  int columns() const { return columns_; }
  // Adds weight * r r' for the row r of columns() values. Rows of positive and of
  // negative weight gather in separate blocks (each row scaled by the root of its
  // weight's magnitude), the latter subtracted, so a weight of any sign is exact.
  void add(const double* row, double weight);
  // Adds the sums of `other` (same columns) to these.
  void absorb(WeightedGram& other);
  // Every sum so far as a full symmetric matrix.
  Matrix matrix();

 private:
  void flush();

  int columns_;
  std::vector<double> sums_;        // upper triangle, columns x columns
  std::vector<double> pending_[2];  // rows scaled by roots of their weights, one a column
  int pendingRows_[2] = {0, 0};     // [0] positive weights, [1] negative
};

// outer * middle * outer for symmetric outer and middle of the same order.
Matrix sandwich(const Matrix& outer, const Matrix& middle);

}  // namespace tessary
