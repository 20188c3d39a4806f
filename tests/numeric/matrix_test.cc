#include "numeric/matrix.h"

#include <gtest/gtest.h>

#include "test_support.h"

#include <cmath>

#include "frame/failure.h"

namespace tessary {
namespace {

using testing::failureText;

Matrix fromRows(int rows, int cols, std::initializer_list<double> values) {
  Matrix m(rows, cols);
  auto it = values.begin();
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < cols; ++j)
      m(i, j) = *it++;
  return m;
}

void expectNear(const Matrix& actual, const Matrix& expected, double tolerance) {
  ASSERT_EQ(actual.rows(), expected.rows());
  ASSERT_EQ(actual.cols(), expected.cols());
  for (int i = 0; i < actual.rows(); ++i)
    for (int j = 0; j < actual.cols(); ++j)
      EXPECT_NEAR(actual(i, j), expected(i, j), tolerance) << i << "," << j;
}

TEST(Matrix, ArithmeticAndItsMessages) {
  Matrix a = fromRows(2, 3, {1, 2, 3, 4, 5, 6});
  Matrix b = fromRows(3, 2, {1, 0, 0, 1, 1, 1});
  EXPECT_EQ(failureText([&] { a + b; }), "Unmatched matrix size for + operation.");
  expectNear(a + a, fromRows(2, 3, {2, 4, 6, 8, 10, 12}), 0);
  expectNear(a * 0.5, fromRows(2, 3, {0.5, 1, 1.5, 2, 2.5, 3}), 0);
  expectNear(a * b, fromRows(2, 2, {4, 5, 10, 11}), 0);

  EXPECT_EQ(failureText([&] { a* Vector(2, 1.0); }), "Unmatched matrix for * operation.");
  Vector v(3, 1.0);
  v[2] = 2;
  Vector av = a * v;
  ASSERT_EQ(av.count(), 2);
  EXPECT_EQ(av[0], 9);
  EXPECT_EQ(av[1], 21);

  expectNear(a.transpose(), fromRows(3, 2, {1, 4, 2, 5, 3, 6}), 0);
  expectNear(a.subMatrix(0, 2, 1, 3), fromRows(2, 2, {2, 3, 5, 6}), 0);
  Matrix rows = a;
  rows.scaleRows(Vector(2, 2.0));
  expectNear(rows, a * 2.0, 0);
}

TEST(Matrix, InverseMessagesAndLuFactorsLeftBehind) {
  Matrix wide(2, 3, 1.0);
  EXPECT_EQ(failureText([&] { wide.inverse(); }), "Matrix is not square.");
  Matrix singular = fromRows(2, 2, {1, 2, 2, 4});
  EXPECT_EQ(failureText([&] { singular.inverse(); }), "Matrix uninversable.");

  Matrix diagonal = fromRows(2, 2, {2, 0, 0, 4});
  expectNear(diagonal.inverse(), fromRows(2, 2, {0.5, 0, 0, 0.25}), 0);
  expectNear(diagonal, fromRows(2, 2, {2, 0, 0, 4}), 0);  // L = diag(2, 4), U = I

  Matrix spd = fromRows(3, 3, {4, 1, 0.5, 1, 3, 0.2, 0.5, 0.2, 2});
  Matrix original = spd;
  expectNear(original * spd.inverse(), fromRows(3, 3, {1, 0, 0, 0, 1, 0, 0, 0, 1}), 1e-15);
}

TEST(Vector, Operations) {
  Vector w(5, 1.0);
  Vector sum = Vector(3, 1.0) + w;  // over the first operand's length
  EXPECT_EQ(sum.count(), 3);
  EXPECT_EQ(sum[2], 2.0);
  Vector resized(3, 1.0);
  const double* before = resized.data();
  resized.resize(3);
  EXPECT_EQ(resized.data(), before);  // same count: storage kept
}

}  // namespace
}  // namespace tessary
