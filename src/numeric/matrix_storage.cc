#include "numeric/matrix_storage.h"

#include <new>

#include "platform/column_memory.h"

namespace tessary {

double* allocateDoubles(long long count) {
  if (count < 1) return nullptr;
  if (static_cast<unsigned long long>(count) > ~std::size_t{0} / sizeof(double))
    throw std::bad_alloc();
  return static_cast<double*>(mapColumnMemory(static_cast<std::size_t>(count) * sizeof(double)));
}

void freeDoubles(double* data, long long count) {
  if (data != nullptr) unmapColumnMemory(data, static_cast<std::size_t>(count) * sizeof(double));
}

}  // namespace tessary
