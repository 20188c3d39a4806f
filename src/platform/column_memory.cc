#include "platform/column_memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/parallel.h"

namespace tessary {
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a mapping wastes more than it saves; the heap serves it.
constexpr std::size_t kMapThreshold = std::size_t{256} << 10;
// Mappings given back are kept for the next request of the same size: loops map the same
// few block sizes again and again, and a call repeated on the same data the same column
// sizes. Zeroing memory that is already there costs a fraction of the faults of fresh
// pages. Block-sized mappings stay kept; column-sized ones go back to the system as soon
// as one has to be mapped afresh, so keeping never raises the peak a call reaches.
constexpr std::size_t kLargestBlock = std::size_t{4} << 20;
constexpr std::size_t kMostKeptBytes = std::size_t{512} << 20;

// Column-sized mappings are whole huge pages, so that sizes repeat.
std::size_t mappedSize(std::size_t bytes) {
  if (bytes <= kLargestBlock) return bytes;
  const std::size_t pages = bytes / kHugePage + (bytes % kHugePage != 0 ? 1 : 0);
  return pages > SIZE_MAX / kHugePage ? bytes : pages * kHugePage;
}

class KeptMappings {
 public:
  void* take(std::size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = kept_.find(bytes);
    if (found == kept_.end()) {
      if (bytes > kLargestBlock) releaseColumnSized();
      return nullptr;
    }
    void* memory = found->second;
    kept_.erase(found);
    keptBytes_ -= bytes;
    return memory;
  }
  bool keep(void* memory, std::size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (keptBytes_ + bytes > kMostKeptBytes) return false;
    kept_.emplace(bytes, memory);
    keptBytes_ += bytes;
    return true;
  }

 private:
  void releaseColumnSized() {
    for (auto at = kept_.upper_bound(kLargestBlock); at != kept_.end(); at = kept_.erase(at)) {
      ::munmap(at->second, at->first);
      keptBytes_ -= at->first;
    }
  }

  std::mutex mutex_;
  std::multimap<std::size_t, void*> kept_;  // by size in bytes
  std::size_t keptBytes_ = 0;
};

// Never destroyed: buffers of static objects may be given back after static destruction.
KeptMappings& keptMappings() {
  static KeptMappings* kept = new KeptMappings;
  return *kept;
}

void zero(void* memory, std::size_t bytes) {
  if (bytes <= kLargestBlock) {
    std::memset(memory, 0, bytes);
    return;
  }
  auto* start = static_cast<unsigned char*>(memory);
  forEachBlock(bytes, kHugePage, [&](std::size_t, std::size_t begin, std::size_t end) {
    std::memset(start + begin, 0, end - begin);
  });
}

}  // namespace

void* mapColumnMemory(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (bytes < kMapThreshold) {
    void* memory = std::calloc(1, bytes);
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
  }
  bytes = mappedSize(bytes);
  if (void* memory = keptMappings().take(bytes)) {
    zero(memory, bytes);
    return memory;
  }
  void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) throw std::bad_alloc();
  if (bytes >= kHugePage) ::madvise(memory, bytes, MADV_HUGEPAGE);
  return memory;
}

void unmapColumnMemory(void* memory, std::size_t bytes) {
  if (memory == nullptr) return;
  if (bytes == 0) bytes = 1;
  if (bytes < kMapThreshold) {
    std::free(memory);
    return;
  }
  bytes = mappedSize(bytes);
  if (!keptMappings().keep(memory, bytes)) ::munmap(memory, bytes);
}

}  // namespace tessary
