#include "numeric/matrix.h"

#include <gtest/gtest.h>

#include "test_support.h"

#include <cfloat>
#include <cmath>
#include <functional>
#include <sstream>

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

TEST(Matrix, ConstructionCopyAndAssignment) {
  Matrix unit;
  EXPECT_EQ(unit.rows(), 1);
  EXPECT_EQ(unit.cols(), 1);
  EXPECT_EQ(unit(0, 0), 0.0);

  Matrix a(2, 3, 1.5);
  a(1, 2) = 7;
  EXPECT_EQ(a.data()[2 * 2 + 1], 7);  // column by column
  Matrix copy = a;
  copy(0, 0) = -1;
  EXPECT_EQ(a(0, 0), 1.5);

  Matrix target(5, 5, 0.0);
  target = a;
  EXPECT_EQ(target.rows(), 2);
  EXPECT_EQ(target.cols(), 3);
  EXPECT_EQ(target(1, 2), 7);
}

TEST(Matrix, BorrowedStorageSurvivesDestruction) {
  double storage[4] = {1, 2, 3, 4};
  {
    Matrix view = Matrix::borrow(storage, 2, 2);
    EXPECT_TRUE(view.borrowed());
    view(1, 1) = 40;
  }
  EXPECT_EQ(storage[3], 40);
  EXPECT_EQ(storage[0], 1);
  {
    Vector v = Vector::borrow(storage, 4);
    v.fill(9);
  }
  EXPECT_EQ(storage[2], 9);
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

  // Row-wise product reads storage row by row: for a symmetric matrix it is A v.
  Matrix s = fromRows(2, 2, {2, 1, 1, 3});
  double x[2] = {1, 2}, out[2];
  s.multiplyRowWise(x, out);
  EXPECT_EQ(out[0], 4);
  EXPECT_EQ(out[1], 7);

  expectNear(a.transpose(), fromRows(3, 2, {1, 4, 2, 5, 3, 6}), 0);
  expectNear(a.subMatrix(0, 2, 1, 3), fromRows(2, 2, {2, 3, 5, 6}), 0);
  Matrix rows = a;
  rows.scaleRows(Vector(2, 2.0));
  expectNear(rows, a * 2.0, 0);
  Matrix cols = a;
  Vector d(3, 1.0);
  d[0] = 0;
  cols.scaleColumns(d);
  expectNear(cols, fromRows(2, 3, {0, 2, 3, 0, 5, 6}), 0);
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

TEST(Matrix, SquareRootOfTheSymmetricPart) {
  expectNear(fromRows(2, 2, {4, 0, 0, 9}).squareRoot(), fromRows(2, 2, {2, 0, 0, 3}), 1e-14);
  Matrix root = fromRows(2, 2, {4, 2, 0, 9}).squareRoot();
  expectNear(root * root, fromRows(2, 2, {4, 1, 1, 9}), 1e-13);
  expectNear(root, root.transpose(), 1e-14);
}

TEST(Matrix, PrintsBannerRowsAndRule) {
  Matrix identity = fromRows(2, 2, {1, 0, 0, 1});
  std::ostringstream out;
  identity.print(out, "I");
  EXPECT_EQ(out.str(), "\n===== I(2x2) =====\n1  0  \n0  1  \n======================\n");

  std::ostringstream general;
  fromRows(1, 3, {1.0 / 3.0, 1234567.0, -2.5e-7}).print(general, "G");
  EXPECT_EQ(general.str(),
            "\n===== G(1x3) =====\n0.333333  1.23457e+06  -2.5e-07  \n======================\n");

  ::testing::internal::CaptureStdout();
  identity.print("I");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "\n===== I(2x2) =====\n1  0  \n0  1  \n======================\n");
}

TEST(Vector, OperationsAndPrint) {
  Vector v(4, 2.0);
  v[3] = DBL_MAX;
  Vector w(5, 1.0);
  Vector sum = Vector(3, 1.0) + w;  // over the first operand's length
  EXPECT_EQ(sum.count(), 3);
  EXPECT_EQ(sum[2], 2.0);
  Vector part = v.slice(1, 3);
  EXPECT_EQ(part.count(), 2);
  EXPECT_EQ(part[0], 2.0);
  EXPECT_EQ(Vector(3, 2.0).dot(w), 6.0);
  EXPECT_EQ(Vector(0).dot(w), 0.0);

  Vector resized(3, 1.0);
  const double* before = resized.data();
  resized.resize(3);
  EXPECT_EQ(resized.data(), before);  // same count: storage kept

  std::ostringstream out;
  v.print(out, "v");
  std::ostringstream address;
  address << static_cast<const void*>(&v);
  EXPECT_EQ(out.str(),
            "\n=====v(4)=====@" + address.str() + "\n2\n2\n2\nNA\n======================\n");
}

}  // namespace
}  // namespace tessary
