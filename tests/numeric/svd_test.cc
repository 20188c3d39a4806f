#include "numeric/svd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "tessary.h"

namespace tessary {
namespace {

TEST(Pythag, AvoidsOverflowAndUnderflow) {
  EXPECT_EQ(pythag(3, 4), 5);
  EXPECT_EQ(pythag(-4, 3), 5);
  EXPECT_EQ(pythag(0, 0), 0);
  EXPECT_DOUBLE_EQ(pythag(3e200, 4e200), 5e200);
  EXPECT_DOUBLE_EQ(pythag(3e-200, 4e-200), 5e-200);
}

TEST(Svdcmp, VHasLeadingDimensionM) {
  // 3 x 2: V's elements sit at j*3 + i for i, j < 2; entries 2 and 5 stay.
  std::vector<double> a = {1, 2, 3, 4, 5, 6}, w(2), v(6, -7.5);
  svdcmp(a.data(), 3, 2, w.data(), v.data());
  EXPECT_EQ(v[2], -7.5);
  EXPECT_EQ(v[5], -7.5);
  const double vtv01 = v[0] * v[3] + v[1] * v[4];
  EXPECT_NEAR(vtv01, 0.0, 1e-14);
  EXPECT_NEAR(v[0] * v[0] + v[1] * v[1], 1.0, 1e-14);
  // Singular values of [[1,4],[2,5],[3,6]].
  const double big = std::max(w[0], w[1]), small = std::min(w[0], w[1]);
  EXPECT_NEAR(big, 9.508032000695723, 1e-12);
  EXPECT_NEAR(small, 0.7728696356734838, 1e-12);
}

// Reconstructs U diag(w) V' in long double and returns the largest error relative to
// the largest element of the original.
double reconstructionError(const std::vector<double>& original, const std::vector<double>& u,
                           const std::vector<double>& w, const std::vector<double>& v, int m,
                           int n) {
  long double largest = 0, error = 0;
  for (double x : original)
    largest = std::max<long double>(largest, std::fabs(x));
  for (int i = 0; i < m; ++i)
    for (int j = 0; j < n; ++j) {
      long double sum = 0;
      for (int k = 0; k < n; ++k)
        sum += static_cast<long double>(u[k * m + i]) * w[k] * v[k * m + j];
      error = std::max(error, std::fabs(sum - original[j * m + i]));
    }
  return static_cast<double>(error / largest);
}

TEST(Svdcmp, ReconstructsRandomMatricesWithOrthonormalFactors) {
  std::mt19937_64 random(3);
  std::normal_distribution<double> normal;
  const int shapes[][2] = {{1, 1}, {2, 1}, {5, 5}, {9, 4}, {40, 40}, {120, 33}, {300, 150}};
  for (const auto& shape : shapes) {
    const int m = shape[0], n = shape[1];
    std::vector<double> a(m * n);
    for (double& x : a)
      x = normal(random);
    std::vector<double> u = a, w(n), v(m * n);
    ASSERT_EQ(svdcmp(u.data(), m, n, w.data(), v.data()), 1);
    EXPECT_LT(reconstructionError(a, u, w, v, m, n), 1e-10) << m << "x" << n;
    for (double s : w)
      EXPECT_GE(s, 0.0);
    // U'U = I and V'V = I on a few column pairs.
    for (int p = 0; p < n; p += std::max(1, n / 5))
      for (int q = p; q < n; q += std::max(1, n / 3)) {
        long double uu = 0, vv = 0;
        for (int i = 0; i < m; ++i)
          uu += static_cast<long double>(u[p * m + i]) * u[q * m + i];
        for (int i = 0; i < n; ++i)
          vv += static_cast<long double>(v[p * m + i]) * v[q * m + i];
        EXPECT_NEAR(static_cast<double>(uu), p == q ? 1.0 : 0.0, 1e-10);
        EXPECT_NEAR(static_cast<double>(vv), p == q ? 1.0 : 0.0, 1e-10);
      }
  }
}

}  // namespace
}  // namespace tessary
