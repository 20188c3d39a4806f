#include "numeric/lu.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tessary.h"

namespace tessary {
namespace {

const double kSentinel = -999.25;

TEST(LinearEq, ExchangesRowsAndRestoresB) {
  std::vector<double> a = {0, 1, 1, 0}, b = {3, 5}, x = {kSentinel, kSentinel};
  EXPECT_EQ(linearEq(a.data(), 2, b.data(), x.data()), 0);
  EXPECT_EQ(x, (std::vector<double>{5, 3}));
  EXPECT_EQ(b, (std::vector<double>{3, 5}));

  // Three exchanges in a row: the record is a sequence, and b still comes back.
  std::vector<double> p = {0, 0, 1, 1, 0, 0, 0, 1, 0}, c = {1, 2, 3}, y(3);
  EXPECT_EQ(linearEq(p.data(), 3, c.data(), y.data()), 0);
  EXPECT_EQ(y, (std::vector<double>{2, 3, 1}));
  EXPECT_EQ(c, (std::vector<double>{1, 2, 3}));
}

TEST(LinearEq, PivotThresholdIsOneEMinusTwelveAndSingularSystemsLeaveXUntouched) {
  double x = kSentinel, b = 1.0;
  double tiny = 5e-13;
  EXPECT_EQ(linearEq(&tiny, 1, &b, &x), -1);
  double limit = 1e-12;
  EXPECT_EQ(linearEq(&limit, 1, &b, &x), 0);
  EXPECT_DOUBLE_EQ(x, 1e12);
  double nan = std::numeric_limits<double>::quiet_NaN();
  x = kSentinel;
  EXPECT_EQ(linearEq(&nan, 1, &b, &x), -1);
  EXPECT_EQ(x, kSentinel);
  // A pivot that only becomes small after reduction; a singular system leaves x alone.
  std::vector<double> a = {1, 1, 1, 1 + 4e-13}, rhs = {1, 2}, y(2, kSentinel);
  EXPECT_EQ(linearEq(a.data(), 2, rhs.data(), y.data()), -1);
  EXPECT_EQ(y, (std::vector<double>{kSentinel, kSentinel}));
}

TEST(LinearEq, PivotScanReadsTheUnreducedColumn) {
  // At step 1 the unreduced column holds 1 (row 1) and 0.9 (row 2): row 1 stays,
  // although after reduction its entry is 0.1 and row 2 would have been larger.
  std::vector<double> a = {2, 4, 0, 0.45, 1, 1, 0, 0.9, 1};
  std::vector<std::int32_t> perm(3);
  ASSERT_EQ(luDecompose(a.data(), perm.data(), 3), 0);
  EXPECT_EQ(perm, (std::vector<std::int32_t>{0, 1, 2}));
  EXPECT_NEAR(a[1 * 3 + 1], 0.1, 1e-15);  // 1 - 0.45 * (4 / 2)
  // Equal maxima: the first one wins.
  std::vector<double> tie = {1, 0, -1, 1};
  ASSERT_EQ(luDecompose(tie.data(), perm.data(), 2), 0);
  EXPECT_EQ(perm[0], 0);
}

TEST(Minverse, StoresTheTransposeOfTheInverse) {
  std::vector<double> a = {1, 2, 0, 1}, inv(4, kSentinel);
  EXPECT_EQ(minverse(a.data(), 2, inv.data()), 1);
  EXPECT_EQ(inv, (std::vector<double>{1, 0, -2, 1}));

  std::vector<double> singular = {1, 2, 2, 4}, untouched(4, kSentinel);
  EXPECT_EQ(minverse(singular.data(), 2, untouched.data()), 0);
  EXPECT_EQ(untouched, std::vector<double>(4, kSentinel));
}

// Gauss-Jordan elimination with full pivoting in long double, written independently
// of the library's Crout routines.
std::vector<long double> referenceSolve(std::vector<long double> a, std::vector<long double> b,
                                        int n) {
  std::vector<int> column(n);
  for (int i = 0; i < n; ++i)
    column[i] = i;
  for (int k = 0; k < n; ++k) {
    int pr = k, pc = k;
    for (int r = k; r < n; ++r)
      for (int c = k; c < n; ++c)
        if (std::fabs(a[r * n + c]) > std::fabs(a[pr * n + pc])) pr = r, pc = c;
    for (int c = 0; c < n; ++c)
      std::swap(a[k * n + c], a[pr * n + c]);
    std::swap(b[k], b[pr]);
    for (int r = 0; r < n; ++r)
      std::swap(a[r * n + k], a[r * n + pc]);
    std::swap(column[k], column[pc]);
    for (int r = 0; r < n; ++r) {
      if (r == k) continue;
      long double f = a[r * n + k] / a[k * n + k];
      for (int c = k; c < n; ++c)
        a[r * n + c] -= f * a[k * n + c];
      b[r] -= f * b[k];
    }
  }
  std::vector<long double> x(n);
  for (int k = 0; k < n; ++k)
    x[column[k]] = b[k] / a[k * n + k];
  return x;
}

TEST(LinearEq, AgreesWithAnIndependentSolveOnRandomSystems) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> uniform(-1, 1);
  for (int n : {1, 2, 5, 17, 60, 120}) {
    std::vector<double> a(n * n), b(n);
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c)
        a[r * n + c] = uniform(random);
      a[r * n + r] += 2.0 * std::sqrt(static_cast<double>(n));  // well conditioned
      b[r] = uniform(random) * 10;
    }
    const auto expected = referenceSolve({a.begin(), a.end()}, {b.begin(), b.end()}, n);
    std::vector<double> x(n);
    ASSERT_EQ(linearEq(a.data(), n, b.data(), x.data()), 0);
    long double scale = 0;
    for (auto v : expected)
      scale = std::max(scale, std::fabs(v));
    for (int i = 0; i < n; ++i)
      EXPECT_NEAR(x[i], expected[i], 1e-10 * scale) << n << " " << i;
  }
}

TEST(LuNoPivot, ZeroAndTinyPivotsFail) {
  std::vector<double> zeroPivot = {0, 1, 1, 0}, b = {7, 10}, x(2);
  EXPECT_EQ(luDecomposeNoPivot(zeroPivot.data(), 2), -1);
  std::vector<double> fake = {1e-13, 0, 0, 1};  // factors with a tiny pivot
  EXPECT_EQ(luSolveNoPivot(fake.data(), b.data(), x.data(), 2), -1);
}

TEST(LuExtend, VanishingPivotsBecomeExactlyZero) {
  std::vector<double> a = {1, 0, 0, 1e-20};
  EXPECT_EQ(luExtend(a.data(), 2), 0.0);
  EXPECT_EQ(a[3], 0.0);
  EXPECT_FALSE(std::signbit(a[3]));
  // Schur complement 1e-20 left over from a real subtraction: 2 - 1 * 2 + 1e-20.
  std::vector<double> b = {1, 2, 1, 2};
  EXPECT_EQ(luExtend(b.data(), 2), 0.0);
  EXPECT_EQ(b[3], 0.0);
  std::vector<double> kept = {1, 0, 0, 2e-19};
  EXPECT_EQ(luExtend(kept.data(), 2), 2e-19);
  double single = -3.5;
  EXPECT_EQ(luExtend(&single, 1), -3.5);
}

TEST(Mmultiply, ColumnMajorProductAndEmptyShapes) {
  // A 2x3, B 3x2, column by column.
  std::vector<double> A = {1, 4, 2, 5, 3, 6}, B = {7, 9, 11, 8, 10, 12}, C(4, kSentinel);
  mmultiply(A.data(), 2, 3, 2, B.data(), C.data());
  EXPECT_EQ(C, (std::vector<double>{58, 139, 64, 154}));

  std::vector<double> zeros(6, kSentinel);
  mmultiply(A.data(), 2, 0, 3, B.data(), zeros.data());
  EXPECT_EQ(zeros, std::vector<double>(6, 0.0));

  std::vector<double> untouched(6, kSentinel);
  mmultiply(A.data(), 0, 3, 2, B.data(), untouched.data());
  mmultiply(A.data(), 2, 3, 0, B.data(), untouched.data());
  EXPECT_EQ(untouched, std::vector<double>(6, kSentinel));
}

}  // namespace
}  // namespace tessary
