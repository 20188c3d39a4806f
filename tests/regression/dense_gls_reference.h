// Generalised least squares computed densely in long double, cluster by cluster as the
// published algorithm does: each cluster's m x m covariance formed and inverted by
// Gauss-Jordan elimination, B = S V^-1 S, and the middle term either T'BT (T = V S X) or
// X'BVBX. The reference the closed-form computation is checked against.
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

inline Dense transposed(const Dense& a) {
  Dense t = denseZeros(a[0].size(), a.size());
  for (std::size_t i = 0; i < a.size(); ++i)
    for (std::size_t j = 0; j < a[0].size(); ++j)
      t[j][i] = a[i][j];
  return t;
}

inline void addInto(Dense& total, const Dense& part) {
  for (std::size_t i = 0; i < total.size(); ++i)
    for (std::size_t j = 0; j < total[0].size(); ++j)
      total[i][j] += part[i][j];
}

// Gauss-Jordan with partial pivoting.
inline Dense denseInverse(Dense a) {
  const std::size_t n = a.size();
  Dense inv = denseZeros(n, n);
  for (std::size_t i = 0; i < n; ++i)
    inv[i][i] = 1;
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t pivot = c;
    for (std::size_t r = c + 1; r < n; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
    std::swap(a[c], a[pivot]);
    std::swap(inv[c], inv[pivot]);
    const long double divisor = a[c][c];
    for (std::size_t j = 0; j < n; ++j) {
      a[c][j] /= divisor;
      inv[c][j] /= divisor;
    }
    for (std::size_t r = 0; r < n; ++r) {
      const long double factor = r == c ? 0 : a[r][c];
      for (std::size_t j = 0; j < n; ++j) {
        a[r][j] -= factor * a[c][j];
        inv[r][j] -= factor * inv[c][j];
      }
    }
  }
  return inv;
}

struct DenseGls {
  Dense inverse, beta, covariance;
  long double yby = 0, xbyBeta = 0;
};

// x: n rows of k values; w the weights already rescaled to sum to n.
inline DenseGls denseGls(const Dense& x, const std::vector<double>& y, const std::vector<double>& w,
                         const std::vector<double>& varEps, const std::vector<int>& sizes,
                         double sigma, bool sandwich) {
  const std::size_t k = x[0].size();
  Dense xbx = denseZeros(k, k), xby = denseZeros(k, 1), meat = denseZeros(k, k);
  DenseGls out;
  std::size_t o = 0;
  for (int m : sizes) {
    Dense v = denseZeros(m, m), s = denseZeros(m, m), xc, yc;
    for (int i = 0; i < m; ++i) {
      for (int j = 0; j < m; ++j)
        v[i][j] = sigma + (i == j ? varEps[o + i] : 0.0);
      s[i][i] = std::sqrt(static_cast<long double>(w[o + i]));
      xc.push_back(x[o + i]);
      yc.push_back({static_cast<long double>(y[o + i])});
    }
    const Dense b = s * denseInverse(v) * s, xt = transposed(xc);
    addInto(xbx, xt * b * xc);
    addInto(xby, xt * b * yc);
    out.yby += (transposed(yc) * b * yc)[0][0];
    const Dense t = v * s * xc;
    addInto(meat, sandwich ? xt * b * v * b * xc : transposed(t) * b * t);
    o += static_cast<std::size_t>(m);
  }
  out.inverse = denseInverse(xbx);
  out.beta = out.inverse * xby;
  out.covariance = out.inverse * meat * out.inverse;
  out.xbyBeta = (transposed(xby) * out.beta)[0][0];
  return out;
}

}  // namespace tessary::testing
