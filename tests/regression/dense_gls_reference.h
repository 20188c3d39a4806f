// Generalised least squares computed densely in long double, cluster by cluster as the
// published algorithm does: each cluster's m x m covariance V formed and inverted by
// Gauss-Jordan elimination, B = S V^-1 S, and the middle term T'BT (T = V S X) or X'BVBX.
#pragma once

#include <cmath>
#include <utility>
#include <vector>

namespace tessary::testing {

using Dense = std::vector<std::vector<long double>>;

inline Dense denseZeros(std::size_t rows, std::size_t cols) {
  return Dense(rows, std::vector<long double>(cols, 0));
}

inline Dense operator*(const Dense& a, const Dense& b) {
  Dense c = denseZeros(a.size(), b[0].size());
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t l = 0; l < b.size(); ++l)
      for (std::size_t j = 0; j < b[0].size(); ++j)
        c[i][j] += a[i][l] * b[l][j];
  return c;
}

// total += a' b c.
inline void addTriple(Dense& total, const Dense& a, const Dense& b, const Dense& c) {
  const Dense bc = b * c;
  for (std::size_t i = 0; i < total.size(); ++i)
    for (std::size_t l = 0; l < a.size(); ++l)
      for (std::size_t j = 0; j < total[0].size(); ++j)
        total[i][j] += a[l][i] * bc[l][j];
}

// Gauss-Jordan elimination with partial pivoting on [a | I].
inline Dense denseInverse(Dense a) {
  const std::size_t n = a.size();
  for (std::size_t i = 0; i < n; ++i) {
    a[i].resize(2 * n, 0);
    a[i][n + i] = 1;
  }
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t pivot = c;
    for (std::size_t r = c + 1; r < n; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    std::swap(a[c], a[pivot]);
    const long double divisor = a[c][c];
    for (long double& v : a[c])
      v /= divisor;
    for (std::size_t r = 0; r < n; ++r) {
      const long double factor = r == c ? 0 : a[r][c];
      for (std::size_t j = 0; j < 2 * n; ++j)
        a[r][j] -= factor * a[c][j];
    }
  }
  for (auto& row : a)
    row.erase(row.begin(), row.begin() + static_cast<long>(n));
  return a;
}

struct DenseGls {
  Dense inverse, beta, covariance;
  long double yby = 0, xbyBeta = 0;
};

// x: n rows of k values; w: the weights already rescaled to sum to n.
inline DenseGls denseGls(const std::vector<std::vector<double>>& x, const std::vector<double>& y,
                         const std::vector<double>& w, const std::vector<double>& varEps,
                         const std::vector<int>& sizes, double sigma, bool sandwich) {
  const std::size_t k = x[0].size();
  Dense xbx = denseZeros(k, k), xby = denseZeros(k, 1), yby = denseZeros(1, 1), meat = xbx;
  std::size_t o = 0;
  for (int m : sizes) {
    Dense v = denseZeros(m, m), s = v, xc, yc;
    for (int i = 0; i < m; ++i, ++o) {
      for (int j = 0; j < m; ++j)
        v[i][j] = sigma + (i == j ? varEps[o] : 0.0);
      s[i][i] = std::sqrt(static_cast<long double>(w[o]));
      xc.emplace_back(x[o].begin(), x[o].end());
      yc.push_back({static_cast<long double>(y[o])});
    }
    const Dense b = s * denseInverse(v) * s, t = sandwich ? b * xc : v * s * xc;
    addTriple(xbx, xc, b, xc);
    addTriple(xby, xc, b, yc);
    addTriple(yby, yc, b, yc);
    addTriple(meat, t, sandwich ? v : b, t);  // X'B V BX or T'BT
  }
  DenseGls out{denseInverse(xbx), {}, {}, yby[0][0]};
  out.beta = out.inverse * xby;
  out.covariance = out.inverse * meat * out.inverse;
  for (std::size_t i = 0; i < k; ++i)
    out.xbyBeta += xby[i][0] * out.beta[i][0];
  return out;
}

}  // namespace tessary::testing
