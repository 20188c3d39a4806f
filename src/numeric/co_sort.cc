// Quicksort of a key array that carries a companion array along.
#include "numeric/small_statistics.h"

namespace tessary {

namespace {

void sortRange(double* keys, double* companion, std::int64_t lo, std::int64_t hi) {
  // Recurses into the smaller part and loops on the larger, so the stack stays
  // logarithmic even for inputs that defeat the middle pivot. The two parts are
  // disjoint, so the order they are sorted in does not change the result.
  while (lo < hi) {
    const double pivot = keys[(lo + hi) / 2];
    std::int64_t i = lo;
    std::int64_t j = hi;
    while (i <= j) {
      while (i < hi && keys[i] < pivot)
        ++i;
      while (j > lo && pivot < keys[j])
        --j;
      if (i > j) break;
      const double key = keys[i];
      keys[i] = keys[j];
      keys[j] = key;
      const double other = companion[i];
      companion[i] = companion[j];
      companion[j] = other;
      ++i;
      --j;
    }
    if (j - lo < hi - i) {
      if (lo < j) sortRange(keys, companion, lo, j);
      lo = i;
    } else {
      if (i < hi) sortRange(keys, companion, i, hi);
      hi = j;
    }
  }
}

}  // namespace

void coSort(double* keys, double* companion, std::int32_t n) {
  if (n < 2) return;
  sortRange(keys, companion, 0, n - 1);
}

}  // namespace tessary
