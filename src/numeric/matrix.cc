#include "numeric/matrix.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "frame/failure.h"
#include "frame/trace.h"
#include "numeric/matrix_storage.h"
#include "numeric/svd.h"
#include "tessary.h"

namespace tessary {

Matrix::Matrix() : Matrix(1, 1, 0.0) {}

Matrix::Matrix(int rows, int cols) {
  allocate(rows, cols);
}

Matrix::Matrix(int rows, int cols, double value) : Matrix(rows, cols) {
  fill(value);
}

Matrix Matrix::borrow(double* data, int rows, int cols) {
  Matrix m(0, 0);
  m.data_ = data;
  m.rows_ = rows;
  m.cols_ = cols;
  m.borrowed_ = true;
  return m;
}

Matrix::Matrix(const Matrix& other) : Matrix(other.rows_, other.cols_) {
  std::copy(other.data_, other.data_ + other.size(), data_);
}

Matrix::Matrix(Matrix&& other) noexcept
    : rows_(other.rows_), cols_(other.cols_), borrowed_(other.borrowed_), data_(other.data_) {
  other.data_ = nullptr;
  other.rows_ = other.cols_ = 0;
  other.borrowed_ = false;
}

Matrix& Matrix::operator=(const Matrix& other) {
  if (this == &other) return *this;
  if (rows_ != other.rows_ || cols_ != other.cols_) {
    release();
    allocate(other.rows_, other.cols_);
  }
  std::copy(other.data_, other.data_ + other.size(), data_);
  return *this;
}

Matrix& Matrix::operator=(Matrix&& other) noexcept {
  std::swap(rows_, other.rows_);
  std::swap(cols_, other.cols_);
  std::swap(borrowed_, other.borrowed_);
  std::swap(data_, other.data_);
  return *this;
}

Matrix::~Matrix() {
  release();
}

void Matrix::allocate(int rows, int cols) {
  rows_ = std::max(rows, 0);
  cols_ = std::max(cols, 0);
  borrowed_ = false;
  data_ = allocateDoubles(size());
}

void Matrix::release() {
  if (!borrowed_ && rows_ > 0) freeDoubles(data_, size());
  data_ = nullptr;
  rows_ = cols_ = 0;
  borrowed_ = false;
}

void Matrix::fill(double value) {
  std::fill(data_, data_ + size(), value);
}

Matrix Matrix::operator+(const Matrix& other) const {
  throwUnless(rows_ == other.rows_ && cols_ == other.cols_,
              "Unmatched matrix size for + operation.");
  Matrix sum(rows_, cols_);
  for (long long k = 0; k < size(); ++k)
    sum.data_[k] = data_[k] + other.data_[k];
  return sum;
}

Matrix Matrix::operator*(double factor) const {
  Matrix product(rows_, cols_);
  for (long long k = 0; k < size(); ++k)
    product.data_[k] = data_[k] * factor;
  return product;
}

Matrix Matrix::operator*(const Matrix& other) const {
  Matrix product(rows_, other.cols_);
  mmultiply(const_cast<double*>(data_), rows_, cols_, other.cols_, const_cast<double*>(other.data_),
            product.data_);
  return product;
}

Vector Matrix::operator*(const Vector& v) const {
  throwUnless(v.count() == cols_, "Unmatched matrix for * operation.");
  Vector product(rows_, 0.0);
  for (int j = 0; j < cols_; ++j)
    for (int i = 0; i < rows_; ++i)
      product[i] += data_[index(i, j)] * v[j];
  return product;
}

void Matrix::multiplyRowWise(const double* v, double* out) const {
  for (int i = 0; i < rows_; ++i) {
    const double* row = data_ + static_cast<std::size_t>(i) * cols_;
    double sum = 0.0;
    for (int k = 0; k < cols_; ++k)
      sum += row[k] * v[k];
    out[i] = sum;
  }
}

Matrix Matrix::transpose() const {
  Matrix result(cols_, rows_);
  for (int i = 0; i < rows_; ++i)
    for (int j = 0; j < cols_; ++j)
      result(j, i) = (*this)(i, j);
  return result;
}

Matrix Matrix::subMatrix(int r0, int r1, int c0, int c1) const {
  throwUnless(0 <= r0 && r0 <= r1 && r1 <= rows_ && 0 <= c0 && c0 <= c1 && c1 <= cols_,
              "Sub-matrix out of range.");
  Matrix part(r1 - r0, c1 - c0);
  for (int j = c0; j < c1; ++j)
    for (int i = r0; i < r1; ++i)
      part(i - r0, j - c0) = (*this)(i, j);
  return part;
}

void Matrix::scaleRows(const Vector& d) {
  throwUnless(d.count() >= rows_, "Unmatched vector size for row scaling.");
  for (int j = 0; j < cols_; ++j)
    for (int i = 0; i < rows_; ++i)
      (*this)(i, j) *= d[i];
}

void Matrix::scaleColumns(const Vector& d) {
  throwUnless(d.count() >= cols_, "Unmatched vector size for column scaling.");
  for (int j = 0; j < cols_; ++j)
    for (int i = 0; i < rows_; ++i)
      (*this)(i, j) *= d[j];
}

Matrix Matrix::inverse() {
  throwUnless(rows_ == cols_, "Matrix is not square.");
  Matrix result(rows_, cols_);
  throwUnless(minverse(data_, rows_, result.data_) == 1, "Matrix uninversable.");
  return result;
}

Matrix Matrix::squareRoot() const {
  const int n = rows_;
  Matrix symmetric = (*this + transpose()) * 0.5;
  Vector w(n);
  Matrix v(n, n);
  singularValueDecomposition(symmetric.data_, n, n, w.data(), v.data_);
  Matrix root(n, n, 0.0);
  for (int i = 0; i < n; ++i)
    root(i, i) = std::sqrt(w[i]);
  return (v * root) * v.transpose();
}

void Matrix::print(std::ostream& out, std::string title) const {
  out << std::endl;
  out << "===== " << title << "(" << rows_ << "x" << cols_ << ") =====" << std::endl;
  for (int i = 0; i < rows_; ++i) {
    for (int j = 0; j < cols_; ++j)
      out << (*this)(i, j) << "  ";
    out << std::endl;
  }
  out << "======================" << std::endl;
}

void Matrix::print(std::string title) const {
  print(trace(), std::move(title));
}

}  // namespace tessary
