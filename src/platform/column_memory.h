// Column-sized memory. Fresh pages cost about 10 µs each on first touch, so large
// buffers come from here: anonymous mappings that ask for transparent huge pages, kept
// for the length of one call and reused from step to step instead of reallocated.
// Block-sized mappings given back are kept (up to a bound) for the next loop that asks for
// the same size.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

namespace tessary {

// Raw mapping of at least `bytes` bytes, zero-filled; throws std::bad_alloc. Thread-safe.
void* mapColumnMemory(std::size_t bytes);
void unmapColumnMemory(void* memory, std::size_t bytes);

// A growable array of trivially copyable T over column memory. Growing keeps the
// content; shrinking keeps the mapping for the next step.
template <class T>
class ColumnBuffer {
 public:
  ColumnBuffer() = default;
  explicit ColumnBuffer(std::size_t count) { resize(count); }
  ~ColumnBuffer() { release(); }
  ColumnBuffer(ColumnBuffer&& other) noexcept { swap(other); }
  ColumnBuffer& operator=(ColumnBuffer&& other) noexcept {
    swap(other);
    return *this;
  }
  ColumnBuffer(const ColumnBuffer&) = delete;
  ColumnBuffer& operator=(const ColumnBuffer&) = delete;

  void resize(std::size_t count) {
    if (count > capacity_) grow(count);
    size_ = count;
  }
  T* data() { return data_; }
  const T* data() const { return data_; }
  std::size_t size() const { return size_; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

 private:
  void grow(std::size_t count) {
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    T* fresh = static_cast<T*>(mapColumnMemory(count * sizeof(T)));
    for (std::size_t i = 0; i < size_; ++i)
      fresh[i] = data_[i];
    release();
    data_ = fresh;
    capacity_ = count;
  }
  void release() {
    if (data_ != nullptr) unmapColumnMemory(data_, capacity_ * sizeof(T));
    data_ = nullptr;
    capacity_ = size_ = 0;
  }
  void swap(ColumnBuffer& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace tessary
