// The data stage: design matrices and weighted cross-products, streamed from the data
// a block of records at a time so that no more than a few blocks are ever held.
#include <algorithm>
#include <numeric>

#include "numeric/blas.h"
#include "regression/design_matrix.h"
#include "regression/member_label.h"
#include "regression/regression.h"

namespace tessary {
namespace {

// Adds the block's weighted cross-products to the upper triangle of `full` (p x p):
// rows already scaled by the roots of their weights go into one symmetric rank-k
// update; otherwise (a weight below zero or not a number) the general product of the
// rows with their weighted copy.
void accumulateBlock(const double* block, std::size_t rows, int ld, int p, const double* w,
                     ColumnBuffer<double>& weighted, double* full) {
  const int k = static_cast<int>(rows);
  if (w == nullptr) {
    blas::addGram(p, k, block, ld, full, p);
    return;
  }
  weighted.resize(static_cast<std::size_t>(ld) * p);
  for (int c = 0; c < p; ++c) {
    const std::size_t at = static_cast<std::size_t>(c) * ld;
    for (std::size_t r = 0; r < rows; ++r)
      weighted[at + r] = block[at + r] * w[r];
  }
  blas::addCrossProduct(p, k, block, weighted.data(), ld, full, p);
}

}  // namespace

std::vector<double> Regression::crossProductsOf(std::span<const std::int32_t> order,
                                                const std::string& lhs) {
  const DesignPlan plan(regressors, order, lhs);
  const int p = static_cast<int>(plan.columnCount());
  std::vector<double> full(static_cast<std::size_t>(p) * p, 0.0);
  DesignReader reader(data(), plan, mBuffer);
  const double* general = nullptr;  // weights that cannot go in as roots
  if (weights != nullptr) {
    const bool roots =
        std::all_of(weights, weights + std::max(nObs, 0), [](double w) { return w >= 0.0; });
    if (roots)
      reader.scaleByRootsOf(weights);
    else
      general = weights;
  }
  const int ld = static_cast<int>(kDesignBlockRecords);
  ColumnBuffer<double> block(static_cast<std::size_t>(ld) * std::max(p, 1));
  ColumnBuffer<double> weighted;
  std::size_t done = 0;
  forEachRecordBlock(nRecs, [&](std::int64_t from, std::int64_t to) {
    const std::size_t rows = reader.fill(from, to, block.data(), ld);
    accumulateBlock(block.data(), rows, ld, p, general == nullptr ? nullptr : general + done,
                    weighted, full.data());
    done += rows;
  });
  return full;
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
  DesignReader reader(data(), plan, mBuffer);
  std::size_t row = 0;
  forEachRecordBlock(nRecs, [&](std::int64_t from, std::int64_t to) {
    row += reader.fill(from, to, X + row, static_cast<std::size_t>(nObs));
  });
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
