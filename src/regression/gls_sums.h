// The sums of the GLS step: X'BX, X'By, y'By and the covariance's middle term, over
// clusters (closed-form cluster inverses) or over households (no location component).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "numeric/matrix.h"
#include "regression/gls.h"

namespace tessary {

// The columns every sum reads, n values each (x: k columns of leading dimension ld).
struct GlsColumns {
  const double* x = nullptr;
  std::size_t ld = 0;
  int k = 0;
  std::int32_t n = 0;
  const double* y = nullptr;
  const double* varEps = nullptr;
  const double* weights = nullptr;  // rescaled to sum to n
  const double* roots = nullptr;    // their square roots
};

struct GlsSums {
  Matrix xbx;  // k x k
  Matrix xby;  // k x 1
  double yby = 0.0;
  Matrix meat;  // k x k
};

// Checks the clusters in order, tracing each one's index and size first, and raises
// the failure the dense computation would meet first: "Cluster too large", "Cluster
// size greater than the number of observation" or "Matrix uninversable.". Returns the
// offsets of the clusters' first households and, last, the end of the last cluster.
std::vector<std::int64_t> checkClusters(const GlsColumns& columns,
                                        std::span<const std::int32_t> sizes, double sigEta2);

// Sums over the clusters that start at offsets[c] and end at offsets[c + 1].
GlsSums clusterSums(const GlsColumns& columns, std::span<const std::int64_t> offsets,
                    double sigEta2, GlsMiddleTerm middle);

// Sums over households with weights w / varEps (no location component).
GlsSums householdSums(const GlsColumns& columns, GlsMiddleTerm middle);

}  // namespace tessary
