#include "numeric/vector_functions_avx512.h"

#include <immintrin.h>
#include <sleef.h>

namespace tessary::vmath::avx512 {
namespace {

constexpr std::size_t kLanes = 8;

// Eight values at a time through `fn`; the last few padded with ones, which every
// function here takes without trapping.
template <class Fn>
void mapLanes(const double* in, double* out, std::size_t n, Fn&& fn) {
  std::size_t i = 0;
  for (; i + kLanes <= n; i += kLanes)
    _mm512_storeu_pd(out + i, fn(_mm512_loadu_pd(in + i)));
  if (i == n) return;
  const auto lanes = static_cast<__mmask8>((1u << (n - i)) - 1);
  const __m512d v = _mm512_mask_loadu_pd(_mm512_set1_pd(1.0), lanes, in + i);
  _mm512_mask_storeu_pd(out + i, lanes, fn(v));
}

// Eight values of an array with step 1, or one value repeated (step 0); padded with ones.
inline __m512d lanesOf(const double* values, std::size_t step, double first, std::size_t i,
                       std::size_t count) {
  if (step == 0) return _mm512_set1_pd(first);
  const auto lanes = static_cast<__mmask8>(count >= kLanes ? 0xFF : (1u << count) - 1);
  return _mm512_mask_loadu_pd(_mm512_set1_pd(1.0), lanes, values + i);
}

}  // namespace

void exp(const double* in, double* out, std::size_t n) {
  mapLanes(in, out, n, [](__m512d v) { return Sleef_expd8_u10avx512f(v); });
}

void log(const double* in, double* out, std::size_t n) {
  mapLanes(in, out, n, [](__m512d v) { return Sleef_logd8_u10avx512f(v); });
}

void sqrt(const double* in, double* out, std::size_t n) {
  mapLanes(in, out, n, [](__m512d v) { return Sleef_sqrtd8_u05avx512f(v); });
}

void pow(const double* x, std::size_t xStep, const double* y, std::size_t yStep, double* out,
         std::size_t n) {
  // A repeated value is taken first: out may be the array it comes from.
  const double xFirst = x[0];
  const double yFirst = y[0];
  for (std::size_t i = 0; i < n; i += kLanes) {
    const std::size_t count = n - i < kLanes ? n - i : kLanes;
    const __m512d result = Sleef_powd8_u10avx512f(lanesOf(x, xStep, xFirst, i, count),
                                                  lanesOf(y, yStep, yFirst, i, count));
    _mm512_mask_storeu_pd(out + i, static_cast<__mmask8>((1u << count) - 1), result);
  }
}

}  // namespace tessary::vmath::avx512
