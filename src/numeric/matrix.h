// Matrix: a dense column-major matrix of doubles (element (i, j) at data[j*rows + i])
// that owns its storage unless it borrows it. Failures are thrown as texts.
#pragma once

#include <iosfwd>
#include <string>

#include "numeric/vector.h"

namespace tessary {

class Matrix {
 public:
  // A 1 x 1 matrix holding 0.0.
  Matrix();
  // rows x cols; the elements start as 0.0.
  Matrix(int rows, int cols);
  Matrix(int rows, int cols, double value);
  // Wraps the caller's storage without copying; destruction leaves it alone.
  static Matrix borrow(double* data, int rows, int cols);
  Matrix(const Matrix& other);
  Matrix(Matrix&& other) noexcept;
  // Reallocates when the shapes differ, then copies every element.
  Matrix& operator=(const Matrix& other);
  Matrix& operator=(Matrix&& other) noexcept;
  virtual ~Matrix();

  int rows() const { return rows_; }
  int cols() const { return cols_; }
  bool borrowed() const { return borrowed_; }
  double* data() { return data_; }
  const double* data() const { return data_; }
  double& operator()(int i, int j) { return data_[index(i, j)]; }
  double operator()(int i, int j) const { return data_[index(i, j)]; }

  void fill(double value);

  // Throws "Unmatched matrix size for + operation." unless the shapes agree.
  Matrix operator+(const Matrix& other) const;
  Matrix operator*(double factor) const;
  // rows x other.cols through mmultiply; REQUIRES: cols() == other.rows().
  Matrix operator*(const Matrix& other) const;
  // Throws "Unmatched matrix for * operation." unless v.count() == cols().
  Vector operator*(const Vector& v) const;
  // out[i] = sum_k data[i*cols + k] * v[k]: the storage read row by row, as the LU
  // routines read it (A v for the symmetric matrices it serves).
  void multiplyRowWise(const double* v, double* out) const;

  Matrix transpose() const;
  // Rows r0 .. r1-1 and columns c0 .. c1-1.
  Matrix subMatrix(int r0, int r1, int c0, int c1) const;
  // diag(d) A and A diag(d), in place.
  void scaleRows(const Vector& d);
  void scaleColumns(const Vector& d);

  // Throws "Matrix is not square." or "Matrix uninversable."; leaves this matrix's
  // storage holding its LU factors. Exact for the symmetric matrices it serves; for
  // others the result is the transpose of the inverse.
  Matrix inverse();
  // V D V' for the symmetric part (A + A') / 2 decomposed by svdcmp, D = diag(sqrt w).
  Matrix squareRoot() const;

  // An empty line, "===== title(RxC) =====", the rows with two blanks after each
  // element, and the 22-character rule.
  void print(std::ostream& out, std::string title) const;
  void print(std::string title) const;

 private:
  std::size_t index(int i, int j) const {
    return static_cast<std::size_t>(j) * static_cast<std::size_t>(rows_) +
           static_cast<std::size_t>(i);
  }
  long long size() const { return static_cast<long long>(rows_) * cols_; }
  void allocate(int rows, int cols);
  void release();

  int rows_ = 0;
  int cols_ = 0;
  bool borrowed_ = false;
  double* data_ = nullptr;
};

}  // namespace tessary
