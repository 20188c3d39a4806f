// Weighted least squares in long double from the normal equations, inverted by
// Gauss-Jordan elimination with partial pivoting (denseInverse): the reference the regression's
// fits are checked against. Weights are rescaled to sum to the number of rows first.
#pragma once

#include <cmath>
#include <numeric>
#include <vector>

#include "numeric/long_double_reference.h"
#include "regression/dense_gls_reference.h"

namespace tessary::testing {

struct LeastSquaresFit {
  std::vector<long double> beta, stdErr, prob;
  long double sse = 0, sst = 0, mse = 0, r2 = 0, adjR2 = 0, f = 0;
  std::size_t n = 0;
};

// x holds the rows (each k values), y and w one value per row (w empty: all 1).
inline LeastSquaresFit leastSquares(const std::vector<std::vector<double>>& x,
                                    const std::vector<double>& y, std::vector<double> w) {
  using Real = long double;
  const std::size_t n = x.size(), k = x[0].size();
  if (w.empty()) w.assign(n, 1.0);
  const Real scale = n / std::accumulate(w.begin(), w.end(), 0.0L);
  Dense xwx = denseZeros(k, k), xwy = denseZeros(k, 1);
  Real sy = 0, syy = 0;
  for (std::size_t t = 0; t < n; ++t) {
    const Real wt = w[t] * scale;
    for (std::size_t i = 0; i < k; ++i) {
      for (std::size_t j = 0; j < k; ++j)
        xwx[i][j] += wt * x[t][i] * x[t][j];
      xwy[i][0] += wt * x[t][i] * y[t];
    }
    sy += wt * y[t];
    syy += wt * y[t] * y[t];
  }
  const Dense inverse = denseInverse(xwx), beta = inverse * xwy;
  LeastSquaresFit fit;
  fit.n = n;
  for (std::size_t t = 0; t < n; ++t) {
    Real e = y[t];
    for (std::size_t i = 0; i < k; ++i)
      e -= x[t][i] * beta[i][0];
    fit.sse += w[t] * scale * e * e;
  }
  const Real dfError = static_cast<Real>(n) - k;
  fit.sst = syy - sy * sy / n;
  fit.mse = fit.sse / dfError;
  fit.r2 = 1 - fit.sse / fit.sst;
  fit.adjR2 = 1 - (1 - fit.r2) * (n - 1) / dfError;
  fit.f = ((fit.sst - fit.sse) / (k - 1)) / fit.mse;
  for (std::size_t i = 0; i < k; ++i) {
    fit.beta.push_back(beta[i][0]);
    fit.stdErr.push_back(std::sqrt(inverse[i][i] * fit.mse));
    const Real t = fit.beta[i] / fit.stdErr[i];
    fit.prob.push_back(2 * reference::student(dfError, std::fabs(t)).upper);
  }
  return fit;
}

// What a leave-one-group-out refit reports of `fit`: the group's code, the count, SSE,
// SSR, R2, F, MSE, adjusted R2, then each coefficient and its t.
inline std::vector<long double> refitFigures(int code, const LeastSquaresFit& fit) {
  std::vector<long double> out{static_cast<long double>(code),
                               static_cast<long double>(fit.n),
                               fit.sse,
                               fit.sst - fit.sse,
                               fit.r2,
                               fit.f,
                               fit.mse,
                               fit.adjR2};
  for (std::size_t i = 0; i < fit.beta.size(); ++i)
    out.insert(out.end(), {fit.beta[i], fit.beta[i] / fit.stdErr[i]});
  return out;
}

}  // namespace tessary::testing
