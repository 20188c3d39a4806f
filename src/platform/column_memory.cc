#include "platform/column_memory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace tessary {
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Below this a mapping wastes more than it saves; the heap serves it.
constexpr std::size_t kMapThreshold = std::size_t{256} << 10;
}  // namespace

void* mapColumnMemory(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (bytes < kMapThreshold) {
    void* memory = std::calloc(1, bytes);
    if (memory == nullptr) throw std::bad_alloc();
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
  if (bytes < kMapThreshold)
    std::free(memory);
  else
    ::munmap(memory, bytes);
}

}  // namespace tessary
