#include "platform/column_memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace tessary {
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a mapping wastes more than it saves; the heap serves it.
constexpr std::size_t kMapThreshold = std::size_t{256} << 10;
// Block-sized mappings are kept for the next loop when they are given back: every loop
// maps the same few sizes again, and zeroing memory that is already there costs far less
// than the faults of fresh pages. Column-sized ones go back to the system at once.
constexpr std::size_t kLargestKept = std::size_t{4} << 20;
constexpr std::size_t kMostKeptBytes = std::size_t{64} << 20;

class KeptMappings {
 public:
  void* take(std::size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = kept_.find(bytes);
    if (found == kept_.end()) return nullptr;
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
  std::mutex mutex_;
  std::multimap<std::size_t, void*> kept_;  // by size in bytes
  std::size_t keptBytes_ = 0;
};

// Never destroyed: buffers of static objects may be given back after static destruction.
KeptMappings& keptMappings() {
  static KeptMappings* kept = new KeptMappings;
  return *kept;
}

bool isKeptSize(std::size_t bytes) {
  return bytes >= kMapThreshold && bytes <= kLargestKept;
}

}  // namespace

void* mapColumnMemory(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (bytes < kMapThreshold) {
    void* memory = std::calloc(1, bytes);
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
  }
  if (isKeptSize(bytes)) {
    if (void* memory = keptMappings().take(bytes)) {
      std::memset(memory, 0, bytes);
      return memory;
    }
  }
  void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) throw std::bad_alloc();
  if (bytes >= kHugePage) ::madvise(memory, bytes, MADV_HUGEPAGE);
  return memory;
}

void unmapColumnMemory(void* memory, std::size_t bytes) {
  if (memory == nullptr) return;
  if (bytes == 0) bytes = 1;
  if (bytes < kMapThreshold)
    std::free(memory);
  else if (!isKeptSize(bytes) || !keptMappings().keep(memory, bytes))
    ::munmap(memory, bytes);
}

}  // namespace tessary
