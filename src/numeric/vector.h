// Vector: a counted array of doubles that owns its storage unless it borrows it.
#pragma once

#include <iosfwd>
#include <string>

namespace tessary {

class Vector {
 public:
  // count elements, every one set to value.
  explicit Vector(int count = 0, double value = 0.0);
  // Wraps the caller's storage; destruction leaves it alone.
  static Vector borrow(double* data, int count);
  Vector(const Vector& other);
  Vector(Vector&& other) noexcept;
  Vector& operator=(const Vector& other);
  Vector& operator=(Vector&& other) noexcept;
  virtual ~Vector();

  int count() const { return count_; }
  double* data() { return data_; }
  const double* data() const { return data_; }
  double& operator[](int i) { return data_[i]; }
  double operator[](int i) const { return data_[i]; }
  bool borrowed() const { return borrowed_; }

  // Reallocates only when the count changes; the contents are then undefined.
  void resize(int count);
  void fill(double value);

  // Element-wise sum over this vector's length; `other` must be at least as long.
  Vector operator+(const Vector& other) const;
  // Elements [from, to) as a new vector.
  Vector slice(int from, int to) const;
  // Inner product over this vector's count; 0.0 when the count is below 1.
  double dot(const Vector& other) const;

  // An empty line, "=====title(count)=====@address", one element a line ("NA" for
  // the largest finite double, the missing mark) and the 22-character rule.
  void print(std::ostream& out, std::string title) const;
  void print(std::string title) const;

 private:
  void release();
  void allocate(int count);

  int count_ = 0;
  double* data_ = nullptr;
  bool borrowed_ = false;
};

}  // namespace tessary
