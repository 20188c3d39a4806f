// The matrix exports. They show nothing and report through their results; a failure
// (memory exhausted) ends in the guard's silent policy.
#include <algorithm>
#include <vector>

#include "frame/boundary.h"
#include "numeric/lu.h"
#include "numeric/svd.h"
#include "tessary.h"

using tessary::guardSilently;

extern "C" {

TESSARY_EXPORT int8_t linearEq(double* a, int32_t n, double* b, double* x) {
  return guardSilently<int8_t>(-1, [&]() -> int8_t {
    std::vector<std::int32_t> perm(n > 0 ? static_cast<std::size_t>(n) : 0);
    if (tessary::luDecompose(a, perm.data(), n) != 0) return -1;
    return static_cast<int8_t>(tessary::luSolve(a, b, perm.data(), x, n));
  });
}

TESSARY_EXPORT int32_t minverse(double* a, int32_t n, double* inv) {
  return guardSilently<int32_t>(0, [&] {
    const std::size_t size = n > 0 ? static_cast<std::size_t>(n) : 0;
    std::vector<std::int32_t> perm(size);
    if (tessary::luDecompose(a, perm.data(), n) != 0) return 0;
    std::vector<double> unit(size);
    for (std::size_t c = 0; c < size; ++c) {
      std::fill(unit.begin(), unit.end(), 0.0);
      unit[c] = 1.0;
      tessary::luSolve(a, unit.data(), perm.data(), inv + c * size, n);
    }
    return 1;
  });
}

TESSARY_EXPORT void mmultiply(double* A, int32_t m, int32_t n, int32_t p, double* B, double* C) {
  if (m < 1 || p < 1) return;
  guardSilently([&] {
    const std::size_t rows = static_cast<std::size_t>(m);
    for (std::size_t j = 0; j < static_cast<std::size_t>(p); ++j) {
      double* column = C + j * rows;
      std::fill(column, column + rows, 0.0);
      // Adding whole columns of A keeps every element's sum in increasing k.
      for (int32_t k = 0; k < n; ++k) {
        const double factor = B[j * static_cast<std::size_t>(n) + k];
        const double* source = A + static_cast<std::size_t>(k) * rows;
        for (std::size_t i = 0; i < rows; ++i)
          column[i] += source[i] * factor;
      }
    }
  });
}

TESSARY_EXPORT uint8_t svdcmp(double* a, int32_t m, int32_t n, double* w, double* v) {
  return guardSilently<uint8_t>(0, [&] {
    tessary::singularValueDecomposition(a, m, n, w, v);
    return uint8_t{1};
  });
}

}  // extern "C"
