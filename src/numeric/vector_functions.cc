#include "numeric/vector_functions.h"

#include <sleef.h>

#include <cstring>

#include "numeric/vector_functions_avx512.h"

namespace tessary::vmath {
namespace {

constexpr std::size_t kLanes = 2;

// Eight lanes where the processor has them (vector_functions_avx512.cc).
const bool kWide = __builtin_cpu_supports("avx512f");

// Pairs of lanes through `fn`; a last single value padded with a zero, which every
// function here takes without trapping.
template <class Fn>
void mapPairs(const double* in, std::size_t n, Fn&& fn) {
  std::size_t i = 0;
  for (; i + kLanes <= n; i += kLanes) {
    __m128d v;
    std::memcpy(&v, in + i, sizeof v);
    fn(i, v, kLanes);
  }
  if (i == n) return;
  double last[kLanes] = {in[i], 0.0};
  __m128d v;
  std::memcpy(&v, last, sizeof v);
  fn(i, v, n - i);
}

}  // namespace

void exp(const double* in, double* out, std::size_t n) {
  if (kWide) return avx512::exp(in, out, n);
  mapPairs(in, n, [&](std::size_t i, __m128d v, std::size_t lanes) {
    const __m128d result = Sleef_expd2_u10(v);
    std::memcpy(out + i, &result, lanes * sizeof(double));
  });
}

void log(const double* in, double* out, std::size_t n) {
  if (kWide) return avx512::log(in, out, n);
  mapPairs(in, n, [&](std::size_t i, __m128d v, std::size_t lanes) {
    const __m128d result = Sleef_logd2_u10(v);
    std::memcpy(out + i, &result, lanes * sizeof(double));
  });
}

void sqrt(const double* in, double* out, std::size_t n) {
  if (kWide) return avx512::sqrt(in, out, n);
  mapPairs(in, n, [&](std::size_t i, __m128d v, std::size_t lanes) {
    const __m128d result = Sleef_sqrtd2_u05(v);
    std::memcpy(out + i, &result, lanes * sizeof(double));
  });
}

void pow(const double* x, std::size_t xStep, const double* y, std::size_t yStep, double* out,
         std::size_t n) {
  if (kWide) return avx512::pow(x, xStep, y, yStep, out, n);
  // A repeated value is taken first: out may be the array it comes from.
  const double xFirst = x[0];
  const double yFirst = y[0];
  auto xAt = [&](std::size_t i) { return xStep == 0 ? xFirst : x[i]; };
  auto yAt = [&](std::size_t i) { return yStep == 0 ? yFirst : y[i]; };
  std::size_t i = 0;
  for (; i + kLanes <= n; i += kLanes) {
    const __m128d result =
        Sleef_powd2_u10(_mm_set_pd(xAt(i + 1), xAt(i)), _mm_set_pd(yAt(i + 1), yAt(i)));
    std::memcpy(out + i, &result, sizeof result);
  }
  if (i == n) return;
  // A last single pair, padded with 1^1.
  const __m128d result = Sleef_powd2_u10(_mm_set_pd(1.0, xAt(i)), _mm_set_pd(1.0, yAt(i)));
  std::memcpy(out + i, &result, sizeof(double));
}

void sinCosPi(const double* in, double* sinOut, double* cosOut, std::size_t n) {
  mapPairs(in, n, [&](std::size_t i, __m128d v, std::size_t lanes) {
    const Sleef___m128d_2 result = Sleef_sincospid2_u05(v);
    std::memcpy(sinOut + i, &result.x, lanes * sizeof(double));
    std::memcpy(cosOut + i, &result.y, lanes * sizeof(double));
  });
}

}  // namespace tessary::vmath
