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

// x holds the rows (each k values), y and w one value per row (w empty: all 1).
inline LeastSquaresFit leastSquares(const std::vector<std::vector<double>>& x,
                                    const std::vector<double>& y, std::vector<double> w) {
  using Real = long double;
  const std::size_t n = x.size(), k = x[0].size(), width = 2 * k + 1;
  if (w.empty()) w.assign(n, 1.0);
  const Real scale = n / std::accumulate(w.begin(), w.end(), 0.0L);
  // a = [X'WX | I | X'Wy], reduced to [I | (X'WX)^-1 | beta].
  std::vector<std::vector<Real>> a(k, std::vector<Real>(width, 0));
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
  for (std::size_t c = 0; c < k; ++c) {
    std::size_t pivot = c;
    for (std::size_t r = c + 1; r < k; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    std::swap(a[c], a[pivot]);
    const Real divisor = a[c][c];
    for (Real& v : a[c])
      v /= divisor;
    for (std::size_t r = 0; r < k; ++r) {
      const Real factor = r == c ? 0 : a[r][c];
      for (std::size_t j = 0; j < width; ++j)
        a[r][j] -= factor * a[c][j];
    }
  }
  LeastSquaresFit fit;
  for (std::size_t t = 0; t < n; ++t) {
    Real e = y[t];
    for (std::size_t i = 0; i < k; ++i)
      e -= x[t][i] * a[i][2 * k];
    fit.sse += w[t] * scale * e * e;
  }
  const Real dfError = static_cast<Real>(n) - k;
  fit.sst = syy - sy * sy / n;
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

}  // namespace tessary::testing
