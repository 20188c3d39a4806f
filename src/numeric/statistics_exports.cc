// The small statistical exports. None shows a message: every failure (of igamc in
// Chi2Two, of memory anywhere) ends in the guard's silent policy, a quiet NaN for the
// tests and the export's empty result for the others.
#include <cmath>
#include <limits>

#include "frame/boundary.h"
#include "frame/missing.h"
#include "numeric/small_statistics.h"
#include "tessary.h"

namespace {

using tessary::guardSilently;
constexpr double kQuietNaN = std::numeric_limits<double>::quiet_NaN();

// Population counts of the sixteen nibble values.
constexpr int kNibbleBits[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};

}  // namespace

extern "C" {

TESSARY_EXPORT double Chi2Two(const double* x1, const double* w1, int32_t n1, const double* x2,
                              const double* w2, int32_t n2, int32_t knstrn, double* chsq,
                              double* df) {
  return guardSilently(kQuietNaN, [&] {
    return tessary::chiSquareTwoSamples(x1, w1, n1, x2, w2, n2, knstrn, *chsq, *df);
  });
}

TESSARY_EXPORT double Kstwo(const double* desc1, const double* w1, const double* desc2,
                            const double* w2, double* d) {
  return guardSilently(
      kQuietNaN, [&] { return tessary::kolmogorovSmirnovTwoSamples(desc1, w1, desc2, w2, *d); });
}

TESSARY_EXPORT void Quick_Sort(int32_t n, double* keys, double* companion) {
  guardSilently([&] { tessary::coSort(keys, companion, n); });
}

TESSARY_EXPORT void sorting(double* keys, double* companion, int32_t n) {
  guardSilently([&] { tessary::coSort(keys, companion, n); });
}

TESSARY_EXPORT int32_t bitCounts(const unsigned char* mask, int32_t nBytes) {
  return guardSilently<int32_t>(0, [&] {
    int32_t count = 0;
    for (int32_t i = 0; i < nBytes; ++i)
      count += kNibbleBits[mask[i] >> 4] + kNibbleBits[mask[i] & 0xF];
    return count;
  });
}

TESSARY_EXPORT int32_t getRange(const double* x, int32_t n, double* min, double* max) {
  return guardSilently<int32_t>(0, [&] {
    double low = std::numeric_limits<double>::max();
    double high = -std::numeric_limits<double>::max();
    int32_t count = 0;
    for (int32_t i = 0; i < n; ++i) {
      if (!std::isfinite(x[i])) continue;
      ++count;
      if (x[i] < low) low = x[i];
      if (x[i] > high) high = x[i];
    }
    *min = count > 0 ? low : tessary::MISSING;
    *max = count > 0 ? high : tessary::MISSING;
    return count;
  });
}

TESSARY_EXPORT int32_t isFinite(double x) {
  return guardSilently<int32_t>(0, [&] { return std::isfinite(x) ? -1 : 0; });
}

TESSARY_EXPORT double* Standardize(double* x, int32_t n) {
  return guardSilently(x, [&] {
    if (n < 1) return x;
    double sum = 0.0;
    double sumOfSquares = 0.0;
    for (int32_t i = 0; i < n; ++i) {
      sum += x[i];
      sumOfSquares += x[i] * x[i];
    }
    const double mean = sum / n;
    const double sd = std::sqrt((sumOfSquares - sum * sum / n) / (n - 1));
    for (int32_t i = 0; i < n; ++i)
      x[i] = (x[i] - mean) / sd;
    return x + n;
  });
}

TESSARY_EXPORT double Unitization(double* x, int32_t n, double total) {
  return guardSilently(kQuietNaN, [&] {
    double sum = 0.0;
    for (int32_t i = 0; i < n; ++i)
      sum += x[i];
    const double factor = total / sum;
    for (int32_t i = 0; i < n; ++i)
      x[i] *= factor;
    return sum;
  });
}

}  // extern "C"
