#include "numeric/vector.h"

#include <algorithm>
#include <cfloat>
#include <utility>

#include "frame/failure.h"
#include "frame/trace.h"
#include "numeric/matrix_storage.h"

namespace tessary {

Vector::Vector(int count, double value) {
  allocate(count);
  fill(value);
}

Vector Vector::borrow(double* data, int count) {
  Vector v;
  v.data_ = data;
  v.count_ = count;
  v.borrowed_ = true;
  return v;
}

Vector::Vector(const Vector& other) {
  allocate(other.count_);
  std::copy(other.data_, other.data_ + std::max(other.count_, 0), data_);
}

Vector::Vector(Vector&& other) noexcept
    : count_(other.count_), data_(other.data_), borrowed_(other.borrowed_) {
  other.data_ = nullptr;
  other.count_ = 0;
  other.borrowed_ = false;
}

Vector& Vector::operator=(const Vector& other) {
  if (this != &other) {
    resize(other.count_);
    std::copy(other.data_, other.data_ + std::max(other.count_, 0), data_);
  }
  return *this;
}

Vector& Vector::operator=(Vector&& other) noexcept {
  std::swap(count_, other.count_);
  std::swap(data_, other.data_);
  std::swap(borrowed_, other.borrowed_);
  return *this;
}

Vector::~Vector() {
  release();
}

void Vector::release() {
  if (!borrowed_) freeDoubles(data_, count_);
  data_ = nullptr;
  count_ = 0;
  borrowed_ = false;
}

void Vector::allocate(int count) {
  data_ = allocateDoubles(count);
  count_ = count > 0 ? count : 0;
}

void Vector::resize(int count) {
  if (count == count_ && data_ != nullptr) return;
  release();
  allocate(count);
}

void Vector::fill(double value) {
  std::fill(data_, data_ + count_, value);
}

Vector Vector::operator+(const Vector& other) const {
  throwUnless(other.count_ >= count_, "Unmatched vector size for + operation.");
  Vector sum(count_);
  for (int i = 0; i < count_; ++i)
    sum.data_[i] = data_[i] + other.data_[i];
  return sum;
}

Vector Vector::slice(int from, int to) const {
  throwUnless(from >= 0 && from <= to && to <= count_, "Vector slice out of range.");
  Vector part(to - from);
  std::copy(data_ + from, data_ + to, part.data_);
  return part;
}

double Vector::dot(const Vector& other) const {
  if (count_ < 1) return 0.0;
  throwUnless(other.count_ >= count_, "Unmatched vector size for * operation.");
  double sum = 0.0;
  for (int i = 0; i < count_; ++i)
    sum += data_[i] * other.data_[i];
  return sum;
}

void Vector::print(std::ostream& out, std::string title) const {
  out << std::endl;
  out << "=====" << title << "(" << count_ << ")=====@" << static_cast<const void*>(this)
      << std::endl;
  for (int i = 0; i < count_; ++i) {
    if (data_[i] == DBL_MAX)
      out << "NA" << std::endl;
    else
      out << data_[i] << std::endl;
  }
  out << "======================" << std::endl;
}

void Vector::print(std::string title) const {
  print(trace(), std::move(title));
}

}  // namespace tessary
