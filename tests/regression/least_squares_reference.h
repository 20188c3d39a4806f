// Weighted least squares in long double from the normal equations, inverted by
// Gauss-Jordan elimination with partial pivoting: the reference the regression's fits
// are checked against. Weights are rescaled to sum to the number of rows first.
#pragma once

#include <cmath>
#include <numeric>
#include <vector>

#include "numeric/long_double_reference.h"

namespace tessary::testing {

struct LeastSquaresFit {
  std::vector<long double> beta, stdErr, prob;
  long double sse = 0, sst = 0, mse = 0, r2 = 0, adjR2 = 0, f = 0;
};

using RealMatrix = std::vector<std::vector<long double>>;

// [A | I | b] (k rows) reduced to [I | A^-1 | A^-1 b] by Gauss-Jordan elimination with
// partial pivoting.
inline void gaussJordan(RealMatrix& a, std::size_t k) {
  for (std::size_t c = 0; c < k; ++c) {
    std::size_t pivot = c;
    for (std::size_t r = c + 1; r < k; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    std::swap(a[c], a[pivot]);
    const long double divisor = a[c][c];
    for (long double& v : a[c])
      v /= divisor;
    for (std::size_t r = 0; r < k; ++r) {
      const long double factor = r == c ? 0 : a[r][c];
      for (std::size_t j = 0; j < a[r].size(); ++j)
        a[r][j] -= factor * a[c][j];
    }
  }
}

// The statistics of a reduced array of k regressors on n rows, given SSE and SST.
inline LeastSquaresFit fitStatistics(const RealMatrix& a, std::size_t k, std::size_t n,
                                     long double sse, long double sst) {
  using Real = long double;
  LeastSquaresFit fit;
  const Real dfError = static_cast<Real>(n) - k;
  fit.sse = sse;
  fit.sst = sst;
  fit.mse = fit.sse / dfError;
  fit.r2 = 1 - fit.sse / fit.sst;
  fit.adjR2 = 1 - (1 - fit.r2) * (n - 1) / dfError;
  fit.f = ((fit.sst - fit.sse) / (k - 1)) / fit.mse;
  for (std::size_t i = 0; i < k; ++i) {
    fit.beta.push_back(a[i][2 * k]);
    fit.stdErr.push_back(std::sqrt(a[i][k + i] * fit.mse));
    const Real t = fit.beta[i] / fit.stdErr[i];
    fit.prob.push_back(2 * reference::student(dfError, std::fabs(t)).upper);
  }
  return fit;
}

// x holds the rows (each k values), y and w one value per row (w empty: all 1).
inline LeastSquaresFit leastSquares(const std::vector<std::vector<double>>& x,
                                    const std::vector<double>& y, std::vector<double> w) {
  using Real = long double;
  const std::size_t n = x.size(), k = x[0].size(), width = 2 * k + 1;
  if (w.empty()) w.assign(n, 1.0);
  const Real scale = n / std::accumulate(w.begin(), w.end(), 0.0L);
  RealMatrix a(k, std::vector<Real>(width, 0));
  Real sy = 0, syy = 0;
  for (std::size_t t = 0; t < n; ++t) {
    const Real wt = w[t] * scale;
    for (std::size_t i = 0; i < k; ++i) {
      for (std::size_t j = 0; j < k; ++j)
        a[i][j] += wt * x[t][i] * x[t][j];
      a[i][2 * k] += wt * x[t][i] * y[t];
    }
    sy += wt * y[t];
    syy += wt * y[t] * y[t];
  }
  for (std::size_t c = 0; c < k; ++c)
    a[c][k + c] = 1;
  gaussJordan(a, k);
  Real sse = 0;
  for (std::size_t t = 0; t < n; ++t) {
    Real e = y[t];
    for (std::size_t i = 0; i < k; ++i)
      e -= x[t][i] * a[i][2 * k];
    sse += w[t] * scale * e * e;
  }
  return fitStatistics(a, k, n, sse, syy - sy * sy / n);
}

// The fit of column y on `columns` (the first being the intercept, column 0) from the
// weighted cross-products g of n rows whose weights sum to n.
inline LeastSquaresFit fitFromCrossProducts(const RealMatrix& g, const std::vector<int>& columns,
                                            int y, std::size_t n) {
  const std::size_t k = columns.size();
  RealMatrix a(k, std::vector<long double>(2 * k + 1, 0));
  for (std::size_t i = 0; i < k; ++i) {
    for (std::size_t j = 0; j < k; ++j)
      a[i][j] = g[columns[i]][columns[j]];
    a[i][k + i] = 1;
    a[i][2 * k] = g[columns[i]][y];
  }
  gaussJordan(a, k);
  long double sse = g[y][y];
  for (std::size_t i = 0; i < k; ++i)
    sse -= a[i][2 * k] * g[columns[i]][y];
  return fitStatistics(a, k, n, sse, g[y][y] - g[0][y] * g[0][y] / n);
}

}  // namespace tessary::testing
