// Scratch buffers for blocks: column memory leased for one block and returned for the next,
// so a loop maps at most one buffer per block in flight (a few per thread) however many
// blocks it runs. A pool lives as long as the kernel that owns it, across its loops.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/column_memory.h"

namespace tessary {

template <class T>
class ScratchPool {
 public:
  // A buffer of at least the leased size, the pool's alone until the lease ends. Its content
  // is whatever the previous block left.
  class Lease {
   public:
    Lease(ScratchPool& pool, std::unique_ptr<ColumnBuffer<T>> buffer)
        : pool_(pool), buffer_(std::move(buffer)) {}
    ~Lease() { pool_.giveBack(std::move(buffer_)); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    T* data() { return buffer_->data(); }
    std::size_t size() const { return buffer_->size(); }
    T& operator[](std::size_t i) { return (*buffer_)[i]; }

   private:
    ScratchPool& pool_;
    std::unique_ptr<ColumnBuffer<T>> buffer_;
  };

  Lease lease(std::size_t count) {
    std::unique_ptr<ColumnBuffer<T>> buffer = takeFree();
    buffer->resize(count);
    return Lease(*this, std::move(buffer));
  }

  // Buffers made so far: the most leases ever held at once.
  std::size_t buffersMade() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return made_;
  }

 private:
  std::unique_ptr<ColumnBuffer<T>> takeFree() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (free_.empty()) {
      ++made_;
      free_.reserve(made_);  // so giving back, in a destructor, never allocates
      return std::make_unique<ColumnBuffer<T>>();
    }
    std::unique_ptr<ColumnBuffer<T>> buffer = std::move(free_.back());
    free_.pop_back();
    return buffer;
  }
  void giveBack(std::unique_ptr<ColumnBuffer<T>> buffer) {
    std::lock_guard<std::mutex> lock(mutex_);
    free_.push_back(std::move(buffer));
  }

  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<ColumnBuffer<T>>> free_;
  std::size_t made_ = 0;
};

}  // namespace tessary
