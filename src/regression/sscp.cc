// The data stage: design matrices and weighted cross-products, read from the data a
// block of records at a time on the parallel layer, so that no more than a few blocks
// per thread are ever held.
#include <algorithm>
#include <numeric>

#include "numeric/blas.h"
#include "regression/design_blocks.h"
#include "regression/member_label.h"
#include "regression/regression.h"

namespace tessary {
namespace {

// A block's weighted cross-products, the upper triangle of a p x p matrix: rows already
// scaled by the roots of their weights go into one symmetric rank-k update; otherwise (a
// weight below zero or not a number) the general product of the rows with their weighted
// copy, made in `weighted`.
std::vector<double> blockCrossProducts(const DesignRows& rows, int p, const double* w,
                                       ScratchPool<double>& weighted) {
  std::vector<double> sums(static_cast<std::size_t>(p) * p, 0.0);
  const int k = static_cast<int>(rows.count), ld = static_cast<int>(rows.ld);
  if (w == nullptr) {
    blas::addGram(p, k, rows.values, ld, sums.data(), p);
    return sums;
  }
  auto copy = weighted.lease(rows.ld * static_cast<std::size_t>(p));
  for (int c = 0; c < p; ++c) {
    const std::size_t at = static_cast<std::size_t>(c) * rows.ld;
    for (std::size_t r = 0; r < rows.count; ++r)
      copy[at + r] = rows.values[at + r] * w[rows.firstRow + r];
  }
  blas::addCrossProduct(p, k, rows.values, copy.data(), ld, sums.data(), p);
  return sums;
}

// total + part over the upper triangle of p x p matrices.
std::vector<double> addUpper(std::vector<double> total, const std::vector<double>& part, int p) {
  for (int j = 0; j < p; ++j)
    for (int i = 0; i <= j; ++i)
      total[static_cast<std::size_t>(j) * p + i] += part[static_cast<std::size_t>(j) * p + i];
  return total;
}

}  // namespace

// Blocks on the parallel layer, each summed into its own matrix by single-threaded BLAS
// (see platform/parallel_threads.h), the matrices added in block order.
std::vector<double> Regression::crossProductsOf(std::span<const std::int32_t> order,
                                                const std::string& lhs) {
  const DesignPlan plan(regressors, order, lhs);
  const int p = static_cast<int>(plan.columnCount());
  DesignBlocks design(data(), plan, mBuffer, nRecs);
  const double* general = nullptr;  // weights that cannot go in as roots
  if (weights != nullptr) {
    const bool roots =
        std::all_of(weights, weights + std::max(nObs, 0), [](double w) { return w >= 0.0; });
    if (roots)
      design.scaleByRootsOf(weights);
    else
      general = weights;
  }
  ScratchPool<double> weighted;
  return design.reduce(
      std::vector<double>(static_cast<std::size_t>(p) * p, 0.0),
      [&](const DesignRows& rows) { return blockCrossProducts(rows, p, general, weighted); },
      [p](std::vector<double> total, std::vector<double> part) {
        return addUpper(std::move(total), part, p);
      });
}

int Regression::getX(double* X, int mode) {
  if (mBuffer == nullptr) raiseFailure("Regression::getX():\nInvalid use of getX.");
  if (mode < 0 || mode > 5)
    raiseFailure("Regression::getX():\nMode " + std::to_string(mode) + " is not 0 to 5.");
  std::vector<std::int32_t> order;
  if (mode <= 2) {
    order.assign(selected.begin(), selected.begin() + modelCount());
  } else {
    order.resize(static_cast<std::size_t>(std::max<int>(numOfRgrs, 0)));
    std::iota(order.begin(), order.end(), 0);
  }
  const DesignPlan plan(regressors, order, LHS);
  DesignBlocks(data(), plan, mBuffer, nRecs).fillAll(X, static_cast<std::size_t>(nObs));
  return static_cast<int>(order.size());
}

bool Regression::buildSSCP(double* out) {
  if (LHS.empty()) return false;
  return withLabel("Regression::buildSSCP():\n", [&] {
    sscp = out;
    const int n = std::max<int>(numOfRgrs, 0);
    std::vector<std::int32_t> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    const std::vector<double> full = crossProductsOf(order, LHS);
    const int p = n + 1;
    for (int i = 0; i < p; ++i)
      for (int j = i; j < p; ++j)
        out[packedRowOffset(i, n) + j] = full[static_cast<std::size_t>(j) * p + i];
    return true;
  });
}

}  // namespace tessary
